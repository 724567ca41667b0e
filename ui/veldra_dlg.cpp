#include "ui/veldra_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTimer>

#include <charconv>

#include "charsets/char_list.h"
#include "charsets/char_set_table.h"
#include "engine/report.h"
#include "settings/load_save.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/dialog_units.h"
#include "ui/one_line_edit.h"
#include "ui/plain_text.h"
#include "ui/result_layout.h"
#include "ui/set_combo.h"
#include "ui/system_menu.h"
#include "ui/ui_seams.h"
#include "ui/up_down.h"
#include "ui/window_title.h"

static void initResources()
{
    Q_INIT_RESOURCE(tovrik);
}

namespace {

constexpr int SeedNumberMax = 99999;
// The template's height and the result group's rectangle, in dialog units;
// the result layout makes both taller by its rows.
constexpr int TemplateWidth = 274, TemplateHeight = 199;
constexpr QRect ResultGroupArea(11, 148, 252, 42);

const QString AboutItemText = QStringLiteral("バージョン情報 (&A)...");
const QString NotANumberMessage = QStringLiteral("正の整数を入力してください。");
const QString OutOfRangeMessage = QStringLiteral("0 から 99999 までの整数を入力してください。");
const QString EmptyListMessage =
    QStringLiteral("文字リストが空のため、パスワードを生成できません。\n"
                   "文字リストをダブルクリックするか F2 キーを押して、文字を入力してください。");

QString toQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string fromQ(const QString& text)
{
    return text.toStdU16String();
}

// A Windows edit shows new text from its first character; QLineEdit would
// leave the cursor, and with it the view, at the end of a long text.
void showFromStart(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

// Qt reads "[*]" in a title as the place of the modified marker and drops
// it; doubled, it shows once, so the title shows the owner name as given.
QString literalTitle(std::u16string_view title)
{
    return toQ(title).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

QLineEdit* digitsOnlyEdit(QWidget* parent)
{
    auto* edit = new OneLineEdit(parent);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

// Marks the exchange as running, so that control notifications it causes
// do not reach the handlers.
class ExchangeScope {
public:
    explicit ExchangeScope(int& depth) : depth_(depth) { ++depth_; }
    ~ExchangeScope() { --depth_; }
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

private:
    int& depth_;
};

} // namespace

CVeldraDlg::CVeldraDlg(SettingsStore& store, UiSeams& seams, QString storeLocation, QWidget* parent)
    : QDialog(parent), store_(store), seams_(seams), storeLocation_(std::move(storeLocation))
{
    initResources();
    icon = QIcon(QStringLiteral(":/tovrik.svg"));
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

void CVeldraDlg::buildTemplate()
{
    const DialogUnits& du = UiGothic9;
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("トヴリク (○○さん用)"));
    setFont(templateFont(QStringLiteral("MS UI Gothic"), 9));
    setFixedSize(du.px(TemplateWidth), du.py(TemplateHeight));

    auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(du.rect(x, y, width, height));
        return w;
    };
    auto label = [&](const QString& text, int x, int y, int width, int height,
                     Qt::Alignment align = Qt::AlignLeft) {
        return templateLabel(this, du, text, QRect(x, y, width, height), align);
    };
    auto group = [&](const QString& title, int x, int y, int width, int height) {
        auto* g = new QGroupBox(title, this);
        place(g, x, y, width, height);
        g->setFocusPolicy(Qt::NoFocus);
        return g;
    };

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

    stringSeedRadio = new QRadioButton(QStringLiteral("文字列"), this);
    place(stringSeedRadio, 22, 102, 33, 10);
    numericSeedRadio = new QRadioButton(QStringLiteral("数字"), this);
    place(numericSeedRadio, 22, 119, 30, 10);
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio})
        radio->setFocusPolicy(Qt::ClickFocus);

    seedTextEdit = new OneLineEdit(this);
    place(seedTextEdit, 65, 99, 188, 15);
    for (int i = 0; i < 7; ++i) {
        seedNumberEdits[i] = digitsOnlyEdit(this);
        place(seedNumberEdits[i], 65 + 27 * i, 117, 26, 15);
    }

    resultGroup = group(QStringLiteral("生成パスワード"), ResultGroupArea.x(), ResultGroupArea.y(),
                        ResultGroupArea.width(), ResultGroupArea.height());
    QGroupBox* basicGroup = group(QStringLiteral("基本設定"), 11, 6, 252, 74);
    QGroupBox* seedGroup = group(QStringLiteral("種モード"), 11, 87, 252, 53);

    generateButton = new QPushButton(QStringLiteral("生成"), this);
    place(generateButton, 231, 163, 26, 16);
    generateButton->setDefault(true);

    label(QStringLiteral("文字数"), 22, 20, 22, 8)->setBuddy(lengthEdit);
    complexityCheck = new QCheckBox(QStringLiteral("複雑性"), this);
    place(complexityCheck, 96, 18, 36, 13);
    complexityCheck->setLayoutDirection(Qt::RightToLeft);
    setCombo = new SetCombo(this);
    place(setCombo, 179, 18, 58, 13);
    label(QStringLiteral("文字セット"), 147, 21, 28, 8, Qt::AlignRight)->setBuddy(setCombo);
    label(QStringLiteral("文字リスト"), 22, 35, 28, 8)->setBuddy(listEdit);
    deleteButton = new QPushButton(QStringLiteral("削"), this);
    place(deleteButton, 240, 17, 17, 15);
    spreadButton = new QPushButton(QStringLiteral("割"), this);
    place(spreadButton, 213, 163, 16, 15);

    for (int i = 0; i < PasswordCount; ++i) {
        auto* box = new OneLineEdit(this);
        box->setSecret(true); // a copied password is marked like the report
        resultEdits[i] = box;
        if (i == 0) {
            place(resultEdits[i], 22, 164, 189, 14);
        } else {
            place(resultEdits[i], 65 + 10 * (i - 1), 148, 9, 14);
            resultEdits[i]->hide();
        }
    }

    // Group frames lie beneath the controls they surround, as in the
    // template's stacking order, and leave every click to the dialog.
    for (QGroupBox* g : {resultGroup, basicGroup, seedGroup})
        g->lower();

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

    // The framework's first exchange shows the constructor's values.
    exchangeData(false);
}

// What a screen reader says for controls whose template gives them no text
// and no label: every control that takes input or acts has a name.
void CVeldraDlg::nameControls()
{
    lengthSpin->setAccessibleNames(QStringLiteral("文字数"), QStringLiteral("文字数を増やす"),
                                   QStringLiteral("文字数を減らす"));
    seedTextEdit->setAccessibleName(QStringLiteral("種の文字列"));
    for (int i = 0; i < 7; ++i)
        seedNumberEdits[i]->setAccessibleName(QStringLiteral("数字 %1").arg(i + 1));
    for (int i = 0; i < PasswordCount; ++i)
        resultEdits[i]->setAccessibleName(QStringLiteral("生成パスワード %1").arg(i + 1));
    deleteButton->setAccessibleDescription(QStringLiteral("選択中の文字セットを削除します"));
    spreadButton->setAccessibleDescription(
        QStringLiteral("表示するパスワードを 1、2、4、8、16 個と増やして生成します"));
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
    QAction* about = menu.addAction(AboutItemText, this, [this] { onSysCommand(AboutCommandId); });
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
}

bool CVeldraDlg::onInitDialog()
{
    nativeAboutItem_ = appendAboutItemToSystemMenu(this, AboutItemText);
    if (!nativeAboutItem_)
        addWindowMenuKeys();
    setWindowIcon(icon);

    loadSettings(store_, model, seams_.seedEntropy());
    const int spreadToRestore = model.spreadLevel;
    fillSetCombo();
    restoreSpreadLayout(spreadToRestore);
    lengthSpin->setRange(MinPasswordLength, MaxPasswordLength);
    lengthSpin->setPosition(model.length);
    setWindowTitle(literalTitle(makeWindowTitle(model.ownerName)));
    restoreStartupFields(model);
    enableSeedEdits();
    listEdit->setEnabled(false);
    exchangeData(false);
    saveAll();
    return true;
}

void CVeldraDlg::fillSetCombo()
{
    setCombo->clear();
    for (const std::u16string& entry : selectorEntries(model.sets))
        setCombo->addItem(toQ(entry));
    setCombo->setCurrentIndex(model.sets.currentSet);
}

// The stored level's layout, as that many clicks on "割" from level 0 give.
void CVeldraDlg::restoreSpreadLayout(int level)
{
    model.spreadLevel = level;
    layoutResults(level);
}

void CVeldraDlg::enableSeedEdits()
{
    seedTextEdit->setEnabled(model.stringSeedMode);
    for (QLineEdit* edit : seedNumberEdits)
        edit->setEnabled(!model.stringSeedMode);
}

bool CVeldraDlg::exchangeData(bool save)
{
    ExchangeScope scope(exchanging_);

    if (save) {
        model.seedModeIndex =
            stringSeedRadio->isChecked() ? 0 : (numericSeedRadio->isChecked() ? 1 : -1);
        model.listDisplay = fromQ(plainTextOf(*listEdit));
        model.seedTextEntry = fromQ(seedTextEdit->text());
        for (int i = 0; i < 7; ++i)
            if (!readSeedNumber(i))
                return false;
        model.complexity = complexityCheck->isChecked() ? 1 : 0;
        for (int i = 0; i < PasswordCount; ++i)
            model.results[i] = fromQ(resultEdits[i]->text());
        return true;
    }

    // Both radios may have to show unchecked, which an exclusive pair cannot.
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio})
        radio->setAutoExclusive(false);
    stringSeedRadio->setChecked(model.seedModeIndex == 0);
    numericSeedRadio->setChecked(model.seedModeIndex == 1);
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio})
        radio->setAutoExclusive(true);
    const QString list = toQ(model.listDisplay);
    if (plainTextOf(*listEdit) != list)
        setPlainTextOf(*listEdit, list);
    showFromStart(seedTextEdit, toQ(model.seedTextEntry));
    for (int i = 0; i < 7; ++i)
        showFromStart(seedNumberEdits[i], QString::number(model.seedNumbers[i]));
    complexityCheck->setChecked(model.complexity == 1);
    for (int i = 0; i < PasswordCount; ++i)
        showFromStart(resultEdits[i], toQ(model.results[i]));
    return true;
}

// One number edit into its field: an unsigned decimal, then the 0..99999
// check. A value above the check is kept in the field, as typed; an emptied
// edit reads as 0, so that clearing an edit to retype it raises no message.
bool CVeldraDlg::readSeedNumber(int index)
{
    QLineEdit* edit = seedNumberEdits[index];
    const QByteArray text = edit->text().toLatin1();
    std::uint64_t value = 0;
    bool failed = false;
    QString message;
    if (!text.isEmpty()) {
        const char* end = text.constData() + text.size();
        const auto [ptr, ec] = std::from_chars(text.constData(), end, value);
        if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range) ||
            edit->text().size() != text.size()) {
            failed = true;
            message = NotANumberMessage;
        } else if (ec == std::errc::result_out_of_range || value > 0xFFFFFFFFu) {
            failed = true; // beyond what the field can hold: reported, not kept
            message = OutOfRangeMessage;
        }
    }
    if (!failed) {
        model.seedNumbers[index] = static_cast<std::uint32_t>(value);
        if (value > SeedNumberMax) {
            failed = true;
            message = OutOfRangeMessage;
        }
    }
    if (failed) {
        seams_.warning(this, message);
        // Again once the event that started the exchange is through: a focus
        // loss by Tab or a click deselects the edit after its handlers ran,
        // and a generation's load exchange rewrites it.
        auto selectAgain = [edit] {
            edit->setFocus();
            edit->selectAll();
        };
        selectAgain();
        QTimer::singleShot(0, edit, selectAgain);
    }
    return !failed;
}

void CVeldraDlg::saveAll()
{
    if (saveSettings(store_, model) || saveFailureShown_)
        return;
    saveFailureShown_ = true;
    // The start-up save runs before the window appears: its warning waits
    // until the window is there to stand over.
    if (!isVisible()) {
        saveWarningPending_ = true;
        return;
    }
    showSaveFailure();
}

void CVeldraDlg::showSaveFailure()
{
    QString text = QStringLiteral("設定を保存できませんでした。文字セットや設定の変更は、"
                                  "このままでは次回の起動時に失われます。");
    if (!storeLocation_.isEmpty())
        text += QStringLiteral("\n\n保存先: ") + storeLocation_;
    seams_.warning(this, text);
}

void CVeldraDlg::GenerateCommand()
{
    exchangeData(true);
    // Refused before the held fields take the typed values: a later save
    // must not store a length or a seed that no generation used.
    if (model.currentList.empty()) {
        seams_.warning(this, EmptyListMessage);
        return;
    }
    model.length = lengthSpin->position();
    model.seedText = model.seedTextEntry;
    model.numericSeedText = FormatNumericSeed(model.seedNumbers);

    // A list with characters and the up-down's length always draw.
    const std::optional<Passwords> passwords = GeneratePasswords(generationRequestOf(model));
    if (!passwords)
        return;
    model.results = *passwords;
    exchangeData(false);
    saveAll();

    const ReportFields fields =
        reportFieldsOf(generationRequestOf(model),
                       model.sets.setNames[static_cast<std::size_t>(model.sets.currentSet)],
                       model.results, model.spreadLevel);
    seams_.putOnClipboard(toQ(BuildReport(formatReportTime(seams_.localTime()), fields)));
}

void CVeldraDlg::onSeedMode(bool stringMode)
{
    if (exchanging_)
        return;
    exchangeData(true);
    model.stringSeedMode = stringMode;
    enableSeedEdits();
    exchangeData(false);
}

void CVeldraDlg::onReadSeedNumbers()
{
    if (!exchanging_)
        exchangeData(true);
}

void CVeldraDlg::onClampLength()
{
    bool ok = false;
    int value = lengthEdit->text().toInt(&ok);
    if (!ok)
        value = 0;
    value = std::clamp(value, MinPasswordLength, MaxPasswordLength);
    showFromStart(lengthEdit, QString::number(value));
}

void CVeldraDlg::onSpread()
{
    model.spreadLevel = (model.spreadLevel + 1) % SpreadLevels;
    layoutResults(model.spreadLevel);
    exchangeData(false);
    saveAll();
    GenerateCommand();
}

void CVeldraDlg::layoutResults(int level)
{
    const std::optional<ResultLayout> layout = resultLayoutOf(level);
    if (!layout)
        return;
    setFixedSize(width(), UiGothic9.py(TemplateHeight) + layout->growth);
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
}

void CVeldraDlg::showAboutBox()
{
    CAboutDlg about(this);
    about.ownerName = toQ(model.ownerName);
    if (seams_.runModal(about) != QDialog::Accepted)
        return;
    model.ownerName = fromQ(about.ownerName);
    setWindowTitle(literalTitle(makeWindowTitle(model.ownerName)));
    saveAll();
}

bool CVeldraDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (const auto command = systemCommandOf(eventType, message)) {
        if ((*command & 0xFFF0u) == AboutCommandId) {
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

void CVeldraDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        onSurfaceButtonDown(event->position().toPoint());
    QDialog::mousePressEvent(event);
}

void CVeldraDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Not passed on: the base class would take the double-click for a
    // second button press, and that press would commit the edit just opened.
    if (event->button() == Qt::LeftButton)
        onSurfaceDoubleClick(event->position().toPoint());
}

bool CVeldraDlg::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Labels, group frames and disabled controls leave clicks to the dialog.
        const bool surface = widget && widget != this &&
                             (!widget->isEnabled() || qobject_cast<QLabel*>(widget) ||
                              qobject_cast<QGroupBox*>(widget));
        if (!surface)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPoint pos = widget->mapTo(this, mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonPress)
                onSurfaceButtonDown(pos);
            else
                onSurfaceDoubleClick(pos);
        }
        return true;
    }
    case QEvent::FocusOut: {
        // No handler runs while an exchange does (its message box takes the
        // focus), and a control's own menu leaves the control active.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (exchanging_ || reason == Qt::PopupFocusReason)
            break;
        if (watched == lengthEdit)
            onClampLength();
        else if (watched == listEdit && model.listEditing)
            commitListEdit();
        else if (std::find(seedNumberEdits.begin(), seedNumberEdits.end(), watched) !=
                 seedNumberEdits.end())
            onReadSeedNumbers();
        break;
    }
    case QEvent::ContextMenu:
        // A platform that turns the Menu key into a context menu would open
        // a control's own menu instead of the window's (see addWindowMenuKeys).
        if (!nativeAboutItem_ &&
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
        break;
    case QEvent::KeyPress: {
        // The list edit has no use for Enter: it belongs to the default button.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == listEdit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            GenerateCommand();
            return true;
        }
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void CVeldraDlg::onSurfaceButtonDown(QPoint)
{
    if (model.listEditing)
        commitListEdit();
}

void CVeldraDlg::onSurfaceDoubleClick(QPoint pos)
{
    // The hit area is wherever the list edit lies, its border included.
    if (model.listEditing || !listEdit->geometry().contains(pos))
        return;
    beginListEdit();
}

// A double-click on the list, or F2 anywhere in the window.
void CVeldraDlg::beginListEdit()
{
    if (model.listEditing)
        return;
    listEdit->setEnabled(true);
    model.listEditing = true;
    listEdit->setFocus();
}

void CVeldraDlg::commitListEdit()
{
    // The flag goes first: disabling the edit takes its focus, and that focus
    // loss must not commit a second time.
    model.listEditing = false;
    listEdit->setEnabled(false);
    exchangeData(true);
    model.currentList = normalizeCharList(model.listDisplay);
    model.sets.setLists[static_cast<std::size_t>(model.sets.currentSet)] = model.currentList;
    model.listDisplay = makeListDisplay(model.currentList);
    exchangeData(false);
}

// The end of every set handler: the list of the selected set becomes
// current and shows, and the settings are saved.
void CVeldraDlg::refreshCurrentList()
{
    model.currentList = currentSetList(model.sets);
    model.listDisplay = makeListDisplay(model.currentList);
    exchangeData(false);
    saveAll();
}

void CVeldraDlg::onSetSelected(int index)
{
    if (index < 0)
        return;
    if (index >= model.sets.setCount) {
        addSet();
        return;
    }
    selectSet(model.sets, index);
    fillSetCombo();
    refreshCurrentList();
}

void CVeldraDlg::addSet()
{
    CharSetTable& sets = model.sets;
    DLGaddset dialog(seams_, this);
    dialog.setName = toQ(proposeSetName(sets));
    dialog.listText = toQ(makeListDisplay(DefaultCharList));
    for (;;) {
        if (seams_.runModal(dialog) != QDialog::Accepted) {
            fillSetCombo();
            return;
        }
        const AddSetResult added = appendSet(sets, fromQ(dialog.setName), fromQ(dialog.listText));
        if (added == AddSetResult::Added)
            break;
        if (added != AddSetResult::NameTaken) {
            fillSetCombo();
            return;
        }
        seams_.warning(this, QStringLiteral("同一名がすでに存在します"));
    }
    fillSetCombo();
    refreshCurrentList();
}

void CVeldraDlg::onDeleteSet()
{
    if (!deleteCurrentSet(model.sets)) {
        seams_.warning(this, QStringLiteral("default は 削除できません"));
        return;
    }
    fillSetCombo();
    refreshCurrentList();
}
