#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class UiSeams;

// "文字セットの追加": asks for the name and the list of a new set.
class DLGaddset : public QDialog {
    Q_OBJECT
public:
    DLGaddset(UiSeams& seams, QWidget* parent = nullptr);

    QString setName;  // exchanged with the name edit
    QString listText; // exchanged with the list edit (CR LF line breaks)
    QLineEdit* nameEdit;
    QPlainTextEdit* listEdit;

    void exchangeData(bool save);
    void setVisible(bool visible) override;
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UiSeams& seams_;
    QWidget* registerButton_;
};
