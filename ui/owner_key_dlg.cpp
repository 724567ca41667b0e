#include "ui/owner_key_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "settings/key_strength.h"
#include "text/control_characters.h"
#include "text/qt_text.h"
#include "ui/one_line_edit.h"
#include "ui/ui_seams.h"

namespace {

QLabel* wrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit* keyField(QWidget* parent)
{
    auto* edit = new OneLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    // No input method: it would show, and might keep, what is typed.
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}

} // namespace

COwnerKeyDlg::COwnerKeyDlg(UiSeams& seams, QString ownerName, QWidget* parent)
    : QDialog(parent), seams_(seams), ownerName_(std::move(ownerName))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("所有者キーの設定"));
    if (parent)
        setFont(parent->font());

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    QLabel* about = wrappedLabel(tr("所有者キーは、すべてのパスワードに混ぜる秘密の文字列です。"
                                    "キーを変えると、すべてのパスワードが変わります。"),
                                 this);
    QLabel* advice =
        wrappedLabel(tr("%1 ビット以上の強さを勧めます。たとえば、ダイスウェアの単語 %2 個を"
                        "空白で区切ったもの、またはランダムな英数字 %3 文字です。")
                         .arg(AdvisedKeyBits)
                         .arg(AdvisedKeyWords)
                         .arg(AdvisedKeyCharacters),
                     this);
    for (QLabel* label : {about, advice}) {
        label->setFixedWidth(fontMetrics().averageCharWidth() * 56);
        layout->addWidget(label);
    }

    auto* form = new QFormLayout;
    keyEdit = keyField(this);
    keyEdit->setObjectName(QStringLiteral("keyEdit"));
    repeatEdit = keyField(this);
    repeatEdit->setObjectName(QStringLiteral("repeatEdit"));
    form->addRow(tr("所有者キー(&K)"), keyEdit);
    form->addRow(tr("もう一度(&R)"), repeatEdit);
    // Names without the access keys' brackets, which a screen reader would spell out.
    keyEdit->setAccessibleName(tr("所有者キー"));
    repeatEdit->setAccessibleName(tr("所有者キーの確認"));
    layout->addLayout(form);

    strengthLabel = new QLabel(this);
    strengthLabel->setObjectName(QStringLiteral("strengthLabel"));
    layout->addWidget(strengthLabel);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &COwnerKeyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COwnerKeyDlg::reject);
    connect(keyEdit, &QLineEdit::textChanged, this, &COwnerKeyDlg::showStrength);
    showStrength();
    keyEdit->setFocus();
}

std::optional<int> COwnerKeyDlg::bitsOf(const QString& key) const
{
    const std::optional<double> estimate = estimatedKeyBits(fromQ(key), fromQ(ownerName_));
    if (!estimate)
        return std::nullopt;
    return static_cast<int>(std::floor(*estimate));
}

// The strength as it is typed, also as the key field's description, so that
// a screen reader says it with the field.
void COwnerKeyDlg::showStrength()
{
    const std::optional<int> bits = bitsOf(keyEdit->text());
    QString text;
    if (bits && !keyEdit->text().isEmpty())
        text = *bits < AdvisedKeyBits ? tr("強さ: 約 %1 ビット（勧める %2 ビットに足りません）")
                                            .arg(*bits)
                                            .arg(AdvisedKeyBits)
                                      : tr("強さ: 約 %1 ビット").arg(*bits);
    strengthLabel->setText(text);
    strengthLabel->setVisible(bits.has_value());
    keyEdit->setAccessibleDescription(text);
}

void COwnerKeyDlg::refocus(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
}

void COwnerKeyDlg::accept()
{
    const QString key = keyEdit->text();
    if (key.isEmpty()) {
        seams_.warning(this, tr("所有者キーが空です。空のキーでは、ほかの設定を知る人なら誰でも"
                                "同じパスワードを作れます。"));
        refocus(keyEdit);
        return;
    }
    if (holdsControlCharacters(fromQ(key))) {
        seams_.warning(this, tr("所有者キーに制御文字（タブ、改行など）は使えません。"));
        refocus(keyEdit);
        return;
    }
    if (repeatEdit->text() != key) {
        seams_.warning(this, tr("2 回入力したキーが違います。もう一度入力してください。"));
        repeatEdit->clear();
        refocus(repeatEdit);
        return;
    }
    if (const std::optional<int> bits = bitsOf(key); bits && *bits < AdvisedKeyBits) {
        const bool chosen = seams_.confirm(
            this,
            tr("この所有者キーの強さは約 %1 ビットで、勧める %2 ビットに足りません。"
               "パスワードが一つ漏れると、キーを手元で総当たりされるおそれがあります。")
                .arg(*bits)
                .arg(AdvisedKeyBits),
            tr("このキーにする(&S)"));
        if (!chosen) {
            refocus(keyEdit);
            return;
        }
    }
    ownerKey = key;
    QDialog::accept();
}
