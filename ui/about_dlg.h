#pragma once

#include <QDialog>

class QLineEdit;

// The about box, where the owner name is also edited.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QString ownerName; // exchanged with the name edit
    QLineEdit* nameEdit;

    // Says below the name that the owner key is empty, in a taller box.
    void noteEmptyOwnerKey();

    void setVisible(bool visible) override;
    void accept() override;

private:
    bool loaded_ = false;
};
