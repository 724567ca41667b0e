// The main window's template and start-up, the result layout it applies,
// and its window menu with the about box.
#include "ui/veldra_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTimer>

#include "settings/load_save.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"
#include "ui/about_dlg.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"
#include "ui/fixed_window_size.h"
#include "ui/one_line_edit.h"
#include "ui/owner_key_dlg.h"
#include "ui/owner_key_store.h"
#include "ui/result_layout.h"
#include "ui/set_combo.h"
#include "ui/system_menu.h"
#include "ui/ui_seams.h"
#include "ui/up_down.h"
#include "ui/window_title.h"

namespace {

// The template's height and the result group's rectangle, in dialog units;
// the result layout makes both taller by its rows.
constexpr int TemplateWidth = 274, TemplateHeight = 199;
constexpr QRect ResultGroupArea(11, 148, 252, 42);

const char* const AboutItemText = QT_TRANSLATE_NOOP("CVeldraDlg", "バージョン情報 (&A)...");
// The owner key's item, which says so while the key is empty.
const char* const OwnerKeyItemText = QT_TRANSLATE_NOOP("CVeldraDlg", "所有者キーの設定(&K)...");
const char* const EmptyOwnerKeyItemText =
    QT_TRANSLATE_NOOP("CVeldraDlg", "所有者キーの設定(&K)...（未設定）");
// The one-character buttons: delete the set, and spread the results.
const char* const DeleteLabel = QT_TRANSLATE_NOOP("CVeldraDlg", "削");
const char* const SpreadLabel = QT_TRANSLATE_NOOP("CVeldraDlg", "割");

// Qt reads "[*]" in a title as the place of the modified marker and drops
// it; doubled, it shows once, so the title shows the owner name as given.
QString literalTitle(QString title)
{
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

QLineEdit* digitsOnlyEdit(QWidget* parent)
{
    auto* edit = new OneLineEdit(parent);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

// Where the template puts a control, in dialog units.
void place(QWidget* control, int x, int y, int width, int height)
{
    control->setGeometry(UiGothic9.rect(x, y, width, height));
}

QLabel* label(QWidget* parent, const QString& text, QRect units,
              Qt::Alignment align = Qt::AlignLeft)
{
    return templateLabel(parent, UiGothic9, text, units, align);
}

// A group frame, which takes no focus.
QGroupBox* group(QWidget* parent, const QString& title, QRect units)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setGeometry(UiGothic9.rect(units.x(), units.y(), units.width(), units.height()));
    frame->setFocusPolicy(Qt::NoFocus);
    return frame;
}

} // namespace

CVeldraDlg::CVeldraDlg(SettingsStore& store, UiSeams& seams, QString storeLocation, QWidget* parent)
    : QDialog(parent), store_(store), seams_(seams), storeLocation_(std::move(storeLocation)),
      plainKeys_(std::make_unique<PlainOwnerKeyStore>(store)), keys_(plainKeys_.get())
{
    icon_ = appIcon();
    buildTemplate();
    nameObjects();
}

// Each control is known by its member's name, so that tests and tools find
// it without reaching into the class; numbered controls count from 1.
void CVeldraDlg::nameObjects()
{
    lengthEdit->setObjectName(QStringLiteral("lengthEdit"));
    lengthSpin->setObjectName(QStringLiteral("lengthSpin"));
    listEdit->setObjectName(QStringLiteral("listEdit"));
    stringSeedRadio->setObjectName(QStringLiteral("stringSeedRadio"));
    numericSeedRadio->setObjectName(QStringLiteral("numericSeedRadio"));
    seedTextEdit->setObjectName(QStringLiteral("seedTextEdit"));
    for (std::size_t i = 0; i < seedNumberEdits.size(); ++i)
        seedNumberEdits[i]->setObjectName(QStringLiteral("seedNumberEdit%1").arg(i + 1));
    resultGroup->setObjectName(QStringLiteral("resultGroup"));
    generateButton->setObjectName(QStringLiteral("generateButton"));
    complexityCheck->setObjectName(QStringLiteral("complexityCheck"));
    setCombo->setObjectName(QStringLiteral("setCombo"));
    deleteButton->setObjectName(QStringLiteral("deleteButton"));
    spreadButton->setObjectName(QStringLiteral("spreadButton"));
    for (std::size_t i = 0; i < resultEdits.size(); ++i)
        resultEdits[i]->setObjectName(QStringLiteral("resultEdit%1").arg(i + 1));
}

// The template's controls are made in its order, which is the tab order:
// each part below makes its controls after those of the part before.
void CVeldraDlg::buildTemplate()
{
    setUpWindow();
    buildLengthAndList();
    buildSeedControls();
    resultGroup = group(this, tr("生成パスワード"), ResultGroupArea);
    QGroupBox* basicGroup = group(this, tr("基本設定"), QRect(11, 6, 252, 74));
    QGroupBox* seedGroup = group(this, tr("種モード"), QRect(11, 87, 252, 53));
    generateButton = new QPushButton(tr("生成"), this);
    place(generateButton, 231, 163, 26, 16);
    generateButton->setDefault(true);
    buildSetControls();
    buildResultControls();

    // Group frames lie beneath the controls they surround, as in the
    // template's stacking order, and leave every click to the dialog.
    for (QGroupBox* g : {resultGroup, basicGroup, seedGroup})
        g->lower();
    connectControls();

    // The framework's first exchange shows the constructor's values.
    exchangeData(false);
}

void CVeldraDlg::setUpWindow()
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(literalTitle(makeWindowTitle(toQ(Setting::OwnerName.fallback))));
    setFont(templateFont(QStringLiteral("MS UI Gothic"), 9));
    setFixedWindowSize(*this, QSize(UiGothic9.px(TemplateWidth), UiGothic9.py(TemplateHeight)));
}

// The length with its up-down control, and the character list.
void CVeldraDlg::buildLengthAndList()
{
    lengthEdit = digitsOnlyEdit(this);
    place(lengthEdit, 51, 17, 22, 13);
    lengthSpin = new UpDown(this);
    place(lengthSpin, 77, 16, 6, 14);
    lengthSpin->setBuddy(lengthEdit);

    listEdit = new QPlainTextEdit(this);
    place(listEdit, 22, 45, 231, 27);
    listEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    listEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listEdit->setTabChangesFocus(true);
    listEdit->document()->setDocumentMargin(1);
}

// The seed mode's radio buttons, the seed text and the seed numbers.
void CVeldraDlg::buildSeedControls()
{
    stringSeedRadio = new QRadioButton(tr("文字列"), this);
    place(stringSeedRadio, 22, 102, 33, 10);
    numericSeedRadio = new QRadioButton(tr("数字"), this);
    place(numericSeedRadio, 22, 119, 30, 10);
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio}) {
        radio->setFocusPolicy(Qt::ClickFocus);
        growToText(*radio);
    }

    seedTextEdit = new OneLineEdit(this);
    place(seedTextEdit, 65, 99, 188, 15);
    for (std::size_t i = 0; i < SeedNumberCount; ++i) {
        seedNumberEdits[i] = digitsOnlyEdit(this);
        place(seedNumberEdits[i], 65 + 27 * i, 117, 26, 15);
    }
}

// The labels of the basic settings, complexity, and the character set with
// its delete button.
void CVeldraDlg::buildSetControls()
{
    label(this, tr("文字数"), QRect(22, 20, 22, 8))->setBuddy(lengthEdit);
    complexityCheck = new QCheckBox(tr("複雑性"), this);
    place(complexityCheck, 96, 18, 36, 13);
    complexityCheck->setLayoutDirection(Qt::RightToLeft);
    growToText(*complexityCheck);
    setCombo = new SetCombo(this);
    place(setCombo, 179, 18, 58, 13);
    label(this, tr("文字セット"), QRect(147, 21, 28, 8), Qt::AlignRight)->setBuddy(setCombo);
    label(this, tr("文字リスト"), QRect(22, 35, 28, 8))->setBuddy(listEdit);
    deleteButton = new QPushButton(tr(DeleteLabel), this);
    place(deleteButton, 240, 17, 17, 15);
}

// The spread button and the result boxes, all but the first hidden until
// the result layout shows them.
void CVeldraDlg::buildResultControls()
{
    spreadButton = new QPushButton(tr(SpreadLabel), this);
    place(spreadButton, 213, 163, 16, 15);

    for (int i = 0; i < PasswordCount; ++i) {
        auto* box = new OneLineEdit(this);
        box->setSecret(true); // a copied password is marked like the report
        resultEdits[i] = box;
        if (i == 0) {
            place(resultEdits[i], FirstResultBoxUnits.x(), FirstResultBoxUnits.y(),
                  FirstResultBoxUnits.width(), FirstResultBoxUnits.height());
        } else {
            place(resultEdits[i], 65 + 10 * (i - 1), 148, 9, 14);
            resultEdits[i]->hide();
        }
    }
}

void CVeldraDlg::connectControls()
{
    // Clicks on labels, frames and disabled controls belong to the dialog's
    // surface; the list edit's focus and keys are watched for in-place editing.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    connect(generateButton, &QPushButton::clicked, this, &CVeldraDlg::GenerateCommand);
    connect(stringSeedRadio, &QRadioButton::clicked, this, [this] { onSeedMode(true); });
    connect(numericSeedRadio, &QRadioButton::clicked, this, [this] { onSeedMode(false); });
    for (QLineEdit* edit : seedNumberEdits)
        connect(edit, &QLineEdit::textChanged, this, &CVeldraDlg::onReadSeedNumbers);
    connect(spreadButton, &QPushButton::clicked, this, &CVeldraDlg::onSpread);
    connect(setCombo, &QComboBox::activated, this, &CVeldraDlg::onSetSelected);
    connect(deleteButton, &QPushButton::clicked, this, &CVeldraDlg::onDeleteSet);

    nameControls();
    auto* openList = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(openList, &QShortcut::activated, this, &CVeldraDlg::beginListEdit);
}

// What a screen reader says for controls whose template gives them no text
// and no label: every control that takes input or acts has a name.
void CVeldraDlg::nameControls()
{
    lengthSpin->setAccessibleNames(tr("文字数"), tr("文字数を増やす"), tr("文字数を減らす"));
    seedTextEdit->setAccessibleName(tr("種の文字列"));
    for (std::size_t i = 0; i < SeedNumberCount; ++i)
        seedNumberEdits[i]->setAccessibleName(tr("数字 %1").arg(i + 1));
    for (int i = 0; i < PasswordCount; ++i)
        resultEdits[i]->setAccessibleName(tr("生成パスワード %1").arg(i + 1));
    deleteButton->setAccessibleDescription(tr("選択中の文字セットを削除します"));
    spreadButton->setAccessibleDescription(
        tr("表示するパスワードを 1、2、4、8、16 個と増やして生成します"));
    // A translation abbreviates the one-character buttons' labels; there
    // they have a name of their own, and show what they do on hover.
    const auto explain = [](QPushButton* button, const char* label, const QString& name) {
        if (button->text() == QString::fromUtf8(label))
            return;
        button->setAccessibleName(name);
        button->setToolTip(button->accessibleDescription());
    };
    explain(deleteButton, DeleteLabel, tr("文字セットを削除"));
    explain(spreadButton, SpreadLabel, tr("表示数を切り替え"));
}

// Where the window manager owns the window menu, the about item lives in a
// menu of the window's own, which the keyboard opens as a right click does.
void CVeldraDlg::addWindowMenuKeys()
{
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            const QWidget* at = focusWidget() ? focusWidget() : this;
            showWindowMenu(at->mapToGlobal(at->rect().center()), true);
        });
    }
}

void CVeldraDlg::showWindowMenu(QPoint globalPos, bool fromKeyboard)
{
    QMenu menu(this);
    QAction* about =
        menu.addAction(tr(AboutItemText), this, [this] { onSysCommand(AboutCommandId); });
    menu.addAction(ownerKeyItemText(), this, [this] { onSysCommand(OwnerKeyCommandId); });
    if (fromKeyboard) // Enter then chooses the item, as in a native menu
        menu.setActiveAction(about);
    menu.exec(globalPos);
}

void CVeldraDlg::setVisible(bool visible)
{
    if (visible && !initialized_) {
        initialized_ = true;
        if (onInitDialog())
            lengthEdit->setFocus();
    }
    QDialog::setVisible(visible);
    if (visible && saveWarningPending_) {
        saveWarningPending_ = false;
        QTimer::singleShot(0, this, &CVeldraDlg::showSaveFailure);
    }
    if (visible && keyAskPending_) {
        keyAskPending_ = false;
        QTimer::singleShot(0, this, &CVeldraDlg::showOwnerKeyDialog);
    }
}

bool CVeldraDlg::onInitDialog()
{
    nativeAboutItem_ = appendAboutItemToSystemMenu(this, tr(AboutItemText));
    if (!nativeAboutItem_)
        addWindowMenuKeys();
    setWindowIcon(icon_);

    loadSettings(store_, model_, seams_.seedEntropy());
    if (nativeAboutItem_)
        appendSystemMenuItem(this, OwnerKeyCommandId, ownerKeyItemText());
    const int spreadToRestore = model_.spreadLevel;
    fillSetCombo();
    restoreSpreadLayout(spreadToRestore);
    lengthSpin->setRange(MinPasswordLength, MaxPasswordLength);
    lengthSpin->setPosition(model_.length);
    setWindowTitle(literalTitle(makeWindowTitle(toQ(model_.ownerName))));
    restoreStartupFields(model_);
    enableSeedEdits();
    listEdit->setEnabled(false);
    exchangeData(false);
    saveAll();
    return true;
}

// The stored level's layout, as that many clicks on "割" from level 0 give.
void CVeldraDlg::restoreSpreadLayout(int level)
{
    model_.spreadLevel = level;
    layoutResults(level);
}

void CVeldraDlg::enableSeedEdits()
{
    seedTextEdit->setEnabled(model_.stringSeedMode);
    for (QLineEdit* edit : seedNumberEdits)
        edit->setEnabled(!model_.stringSeedMode);
}

void CVeldraDlg::layoutResults(int level)
{
    const std::optional<ResultLayout> layout = resultLayoutOf(level);
    if (!layout)
        return;
    setFixedWindowSize(
        *this, QSize(UiGothic9.px(TemplateWidth), UiGothic9.py(TemplateHeight) + layout->growth));
    const QRect group = UiGothic9.rect(ResultGroupArea.x(), ResultGroupArea.y(),
                                       ResultGroupArea.width(), ResultGroupArea.height());
    resultGroup->setGeometry(group.adjusted(0, 0, 0, layout->growth));
    for (int k = 0; k < PasswordCount; ++k) {
        resultEdits[k]->setGeometry(layout->boxes[static_cast<std::size_t>(k)]);
        resultEdits[k]->setVisible(k < layout->shown);
    }
}

void CVeldraDlg::onSysCommand(unsigned id)
{
    if ((id & 0xFFF0u) == AboutCommandId)
        showAboutBox();
    else if (id == OwnerKeyCommandId)
        showOwnerKeyDialog();
}

void CVeldraDlg::showAboutBox()
{
    CAboutDlg about(this);
    about.ownerName = toQ(model_.ownerName);
    if (model_.ownerKey.empty())
        about.noteEmptyOwnerKey();
    if (seams_.runModal(about) != QDialog::Accepted)
        return;
    model_.ownerName = fromQ(about.ownerName);
    setWindowTitle(literalTitle(makeWindowTitle(toQ(model_.ownerName))));
    saveAll();
}

QString CVeldraDlg::ownerKeyItemText() const
{
    return tr(model_.ownerKey.empty() ? EmptyOwnerKeyItemText : OwnerKeyItemText);
}

// The key goes to the store at once and alone, as tovrik-settings
// set-owner-key writes it; the window's other changes wait for its next
// save as before.
void CVeldraDlg::showOwnerKeyDialog()
{
    COwnerKeyDlg asked(seams_, toQ(model_.ownerName), this);
    if (seams_.runModal(asked) != QDialog::Accepted)
        return;
    const OwnerKeyChange change = keys_->replaceKey(model_.ownerKey, fromQ(asked.ownerKey));
    switch (change.status) {
    case OwnerKeyChange::Status::Written: model_.ownerKey = change.storedKey; break;
    case OwnerKeyChange::Status::ChangedMeanwhile:
        // Kept, and used from now on, so that no save of this window undoes it.
        model_.ownerKey = change.storedKey;
        seams_.warning(this, tr("ほかのプログラムが、この画面の起動後に所有者キーを変更していました"
                                "。そのキーを残し、以後はそのキーでパスワードを生成します。入力し"
                                "たキーは設定していません。"));
        break;
    case OwnerKeyChange::Status::Failed:
        seams_.warning(this,
                       tr("所有者キーを設定できませんでした。所有者キーは変わっていません。") +
                           QStringLiteral("\n\n") + change.detail);
        break;
    }
    if (nativeAboutItem_)
        renameSystemMenuItem(this, OwnerKeyCommandId, ownerKeyItemText());
}

void CVeldraDlg::done(int result)
{
    // Before the window goes: a display server takes a new selection only
    // from a window that has the focus.
    seams_.renewClipboard();
    QDialog::done(result);
}

// A click on the main window may bring it over the modal dialog it opened
// (Wayland compositors know no modality); the dialog comes back on top,
// once the toolkit has done its own part of the activation.
void CVeldraDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    QTimer::singleShot(0, this, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (isActiveWindow() && modal != nullptr && modal != this && modal->isVisible()) {
            modal->raise();
            modal->activateWindow();
        }
    });
}

bool CVeldraDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (const auto command = systemCommandOf(eventType, message)) {
        if ((*command & 0xFFF0u) == AboutCommandId || *command == OwnerKeyCommandId) {
            onSysCommand(*command);
            *result = 0;
            return true;
        }
    }
    return QDialog::nativeEvent(eventType, message, result);
}

void CVeldraDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // From the keyboard the window's own keys open the menu (see
    // addWindowMenuKeys), wherever the focus is.
    if (nativeAboutItem_)
        return QDialog::contextMenuEvent(event);
    if (event->reason() != QContextMenuEvent::Keyboard)
        showWindowMenu(event->globalPos(), false);
}
