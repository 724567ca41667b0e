#include "ui/about_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/version.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"
#include "ui/fixed_window_size.h"
#include "ui/one_line_edit.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const DialogUnits& du = UiGothic9;
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("トヴリクのバージョン情報"));
    if (parent)
        setFont(parent->font());
    setFixedWindowSize(*this, QSize(du.px(191), du.py(61)));

    auto* iconLabel = new QLabel(this);
    iconLabel->setGeometry(du.rect(11, 11, 20, 20));
    iconLabel->setPixmap(appIcon().pixmap(iconLabel->size()));

    templateLabel(this, du, QStringLiteral("Version ") + QLatin1StringView(TovrikVersion),
                  QRect(15, 37, 101, 9));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.rect(120, 33, 25, 15));
    ok->setDefault(true);

    templateLabel(this, du, tr("さん用トヴリク"), QRect(90, 14, 78, 12))
        ->setTextFormat(Qt::PlainText);

    nameEdit = new OneLineEdit(this);
    nameEdit->setGeometry(du.rect(38, 11, 50, 15));
    nameEdit->setAccessibleName(tr("使用者名"));

    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setGeometry(du.rect(148, 33, 36, 15));

    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAboutDlg::reject);
}

void CAboutDlg::noteEmptyOwnerKey()
{
    const DialogUnits& du = UiGothic9;
    QLabel* note =
        templateLabel(this, du,
                      tr("所有者キーが未設定のため、ほかの設定を知る人なら誰でも同じパスワードを"
                         "作れます。"),
                      QRect(11, 52, 173, 20));
    note->setObjectName(QStringLiteral("emptyKeyNote"));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setGeometry(du.rect(11, 52, 173, 20));
    setFixedWindowSize(*this, QSize(du.px(191), du.py(78)));
}

void CAboutDlg::setVisible(bool visible)
{
    if (visible && !loaded_) {
        loaded_ = true;
        nameEdit->setText(ownerName);
    }
    QDialog::setVisible(visible);
}

void CAboutDlg::accept()
{
    ownerName = nameEdit->text();
    QDialog::accept();
}
