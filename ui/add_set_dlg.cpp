#include "ui/add_set_dlg.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "charsets/char_set_table.h"
#include "charsets/white_space.h"
#include "engine/version.h"
#include "ui/dialog_units.h"
#include "ui/fixed_window_size.h"
#include "ui/one_line_edit.h"
#include "ui/plain_text.h"
#include "ui/ui_seams.h"

DLGaddset::DLGaddset(UiSeams& seams, QWidget* parent) : QDialog(parent), seams_(seams)
{
    const DialogUnits& du = ShellDlg8;
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("文字セットの追加"));
    setFont(templateFont(QStringLiteral("MS Shell Dlg"), 8));
    setFixedWindowSize(*this, QSize(du.px(297), du.py(111)));

    auto* registerButton = new QPushButton(tr("登録"), this);
    registerButton->setGeometry(du.rect(170, 86, 50, 14));
    registerButton->setDefault(true);
    registerButton_ = registerButton;
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setGeometry(du.rect(230, 86, 50, 14));

    listEdit = new QPlainTextEdit(this);
    listEdit->setGeometry(du.rect(10, 55, 279, 25));
    listEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    listEdit->setTabChangesFocus(true);
    listEdit->document()->setDocumentMargin(1);
    listEdit->installEventFilter(this);

    templateLabel(this, du, tr("文字リスト"), QRect(7, 43, 33, 8))->setBuddy(listEdit);
    QLabel* nameLabel = templateLabel(this, du, tr("文字セット名"), QRect(7, 10, 50, 8));
    nameEdit = new OneLineEdit(this);
    nameEdit->setGeometry(du.rect(11, 20, 136, 14));
    nameLabel->setBuddy(nameEdit);

    connect(registerButton, &QPushButton::clicked, this, &DLGaddset::accept);
    connect(cancel, &QPushButton::clicked, this, &DLGaddset::reject);
}

void DLGaddset::exchangeData(bool save)
{
    if (save) {
        setName = nameEdit->text();
        listText = plainTextOf(*listEdit);
    } else {
        nameEdit->setText(setName);
        setPlainTextOf(*listEdit, listText);
    }
}

void DLGaddset::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        // Every opening shows the fields as they stand, then reads them back.
        exchangeData(false);
        exchangeData(true);
        QPoint topLeft = QCursor::pos() - QPoint(width() / 2, height() / 2);
        if (const QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
            const QRect area = screen->availableGeometry();
            topLeft.setX(std::clamp(topLeft.x(), area.left(),
                                    std::max(area.left(), area.right() - width())));
            topLeft.setY(std::clamp(topLeft.y(), area.top(),
                                    std::max(area.top(), area.bottom() - height())));
        }
        move(topLeft);
    }
    QDialog::setVisible(visible);
    if (visible)
        registerButton_->setFocus();
}

void DLGaddset::accept()
{
    exchangeData(true);
    setName = QString::fromStdU16String(trimWhiteSpace(setName.toStdU16String()));
    exchangeData(false);
    if (setName.toStdU16String() == AddEntryName) {
        seams_.stop(this, tr("トヴリク %1").arg(QLatin1StringView(TovrikVersion)),
                    tr("指定されたセット名は予約語のため登録できません"));
        return;
    }
    exchangeData(true);
    QDialog::accept();
}

bool DLGaddset::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the list edit registers, as the dialog's default button.
    if (watched == listEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
