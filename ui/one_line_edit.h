#pragma once

#include <QLineEdit>

class QMenu;

// A one-line edit that takes only the first line of a paste or a drop, as a native one-line edit
// does: a line break it kept would show as a blank but still be part of its text. Marked secret, it
// also puts what it copies or cuts on the clipboard with the secret hint.
class OneLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit OneLineEdit(QWidget* parent = nullptr);

    void setSecret(bool secret);
    bool isSecret() const { return secret_; }

    // The text up to its first line break (CR, LF, VT, FF, NEL, U+2028, U+2029).
    static QString firstLine(const QString& text);

    // The edit's own right-click menu, with paste, copy and cut going
    // through this class.
    QMenu* createContextMenu();

public slots:
    void pasteFirstLine();
    void copyText();
    void cutText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void markSelectionSecret();

    bool secret_ = false;
};
