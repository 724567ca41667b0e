#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class UiSeams;

// "所有者キーの設定": asks for a new owner key twice, with echo off, and shows
// its estimated strength as it is typed. OK takes a key only when both
// entries agree, it is not empty, and, below the advised strength, the user
// confirms it.
class COwnerKeyDlg : public QDialog {
    Q_OBJECT
public:
    // ownerName counts against the key's strength: the title shows it.
    COwnerKeyDlg(UiSeams& seams, QString ownerName, QWidget* parent = nullptr);

    QString ownerKey; // the accepted key
    QLineEdit* keyEdit;
    QLineEdit* repeatEdit;
    QLabel* strengthLabel;

    void accept() override;

private:
    void showStrength();
    // The estimate in whole bits, or nothing in a build without an estimator.
    std::optional<int> bitsOf(const QString& key) const;
    void refocus(QLineEdit* edit);

    UiSeams& seams_;
    QString ownerName_;
};
