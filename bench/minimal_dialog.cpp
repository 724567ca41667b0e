#include "bench/minimal_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "ui/dialog_units.h"

std::unique_ptr<QDialog> minimalDialog()
{
    auto dialog = std::make_unique<QDialog>();
    dialog->setFont(templateFont(QStringLiteral("MS UI Gothic"), 9));
    dialog->setFixedSize(474, 299);
    int n = 0;
    auto at = [&](QWidget* w) {
        w->setGeometry(10 + (n % 4) * 110, 10 + (n / 4) * 12, 100, 20);
        ++n;
    };
    QWidget* parent = dialog.get();
    const char* edits[] = {"10", "TANE", "12345", "2", "3", "4", "5", "6", "7"};
    for (const char* text : edits)
        at(new QLineEdit(QString::fromUtf8(text), parent));
    for (int i = 0; i < 16; ++i)
        at(new QLineEdit(parent));
    for (int i = 0; i < 2; ++i)
        at(new QToolButton(parent));
    at(new QPlainTextEdit(
        QStringLiteral(
            "!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghi\njkmnopqrstuvwxyz"),
        parent));
    for (const char* text : {"文字列", "数字"})
        at(new QRadioButton(QString::fromUtf8(text), parent));
    for (const char* text : {"生成パスワード", "基本設定", "種モード"})
        at(new QGroupBox(QString::fromUtf8(text), parent));
    for (const char* text : {"生成", "削", "割"})
        at(new QPushButton(QString::fromUtf8(text), parent));
    for (const char* text : {"文字数", "文字セット", "文字リスト"})
        at(new QLabel(QString::fromUtf8(text), parent));
    at(new QCheckBox(QStringLiteral("複雑性"), parent));
    auto* combo = new QComboBox(parent);
    combo->addItems({QStringLiteral("default"), QStringLiteral("（追加）")});
    at(combo);
    dialog->setWindowTitle(QStringLiteral("トヴリク (○○さん用)"));
    return dialog;
}
