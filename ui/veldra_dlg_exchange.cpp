// The main window's data exchange, the generation and the handlers that
// read the dialog: seed mode, seed numbers, length and spread.
#include "ui/veldra_dlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdint>

#include "engine/report.h"
#include "settings/load_save.h"
#include "text/decimal.h"
#include "text/qt_text.h"
#include "ui/plain_text.h"
#include "ui/ui_seams.h"
#include "ui/up_down.h"

namespace {

const char* const NotANumberMessage =
    QT_TRANSLATE_NOOP("CVeldraDlg", "正の整数を入力してください。");
const char* const OutOfRangeMessage =
    QT_TRANSLATE_NOOP("CVeldraDlg", "0 から %1 までの整数を入力してください。");
const char* const EmptyListMessage = QT_TRANSLATE_NOOP(
    "CVeldraDlg", "文字リストが空のため、パスワードを生成できません。\n"
                  "文字リストをダブルクリックするか F2 キーを押して、文字を入力してください。");

// A Windows edit shows new text from its first character; QLineEdit would
// leave the cursor, and with it the view, at the end of a long text.
void showFromStart(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
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

bool CVeldraDlg::exchangeData(bool save)
{
    ExchangeScope scope(exchanging_);

    if (save) {
        model_.seedModeIndex =
            stringSeedRadio->isChecked() ? 0 : (numericSeedRadio->isChecked() ? 1 : -1);
        model_.listDisplay = fromQ(plainTextOf(*listEdit));
        model_.seedTextEntry = fromQ(seedTextEdit->text());
        for (std::size_t i = 0; i < SeedNumberCount; ++i)
            if (!readSeedNumber(i))
                return false;
        model_.complexity = complexityCheck->isChecked() ? 1 : 0;
        for (int i = 0; i < PasswordCount; ++i)
            model_.results[i] = fromQ(resultEdits[i]->text());
        return true;
    }

    // Both radios may have to show unchecked, which an exclusive pair cannot.
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio})
        radio->setAutoExclusive(false);
    stringSeedRadio->setChecked(model_.seedModeIndex == 0);
    numericSeedRadio->setChecked(model_.seedModeIndex == 1);
    for (QRadioButton* radio : {stringSeedRadio, numericSeedRadio})
        radio->setAutoExclusive(true);
    const QString list = toQ(model_.listDisplay);
    if (plainTextOf(*listEdit) != list)
        setPlainTextOf(*listEdit, list);
    showFromStart(seedTextEdit, toQ(model_.seedTextEntry));
    for (std::size_t i = 0; i < SeedNumberCount; ++i)
        showFromStart(seedNumberEdits[i], QString::number(model_.seedNumbers[i]));
    complexityCheck->setChecked(model_.complexity == 1);
    for (int i = 0; i < PasswordCount; ++i)
        showFromStart(resultEdits[i], toQ(model_.results[i]));
    return true;
}

// One number edit into its field: an unsigned decimal, then the 0..99999
// check. A value above the check is kept in the field, as typed; an emptied
// edit reads as 0, so that clearing an edit to retype it raises no message.
bool CVeldraDlg::readSeedNumber(std::size_t index)
{
    QLineEdit* edit = seedNumberEdits[index];
    const QString text = edit->text();
    const Decimal read =
        text.isEmpty() ? Decimal{Decimal::Form::Number, 0} : parseDecimal(fromQ(text));
    QString message;
    if (read.form == Decimal::Form::NotDigits) {
        message = tr(NotANumberMessage);
    } else if (read.form == Decimal::Form::TooLarge) {
        // Beyond what the field can hold: reported, not kept.
        message = tr(OutOfRangeMessage).arg(MaxSeedNumber);
    } else {
        model_.seedNumbers[index] = read.value;
        if (read.value > MaxSeedNumber)
            message = tr(OutOfRangeMessage).arg(MaxSeedNumber);
    }
    if (message.isEmpty())
        return true;
    seams_.warning(this, message);
    // Again once the event that started the exchange is through: a focus
    // loss by Tab or a click deselects the edit after its handlers ran, and
    // a generation's load exchange rewrites it.
    auto selectAgain = [edit] {
        edit->setFocus();
        edit->selectAll();
    };
    selectAgain();
    QTimer::singleShot(0, edit, selectAgain);
    return false;
}

void CVeldraDlg::saveAll()
{
    if (saveSettings(store_, model_) || saveFailureShown_)
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
    QString text = tr("設定を保存できませんでした。文字セットや設定の変更は、"
                      "このままでは次回の起動時に失われます。");
    if (!storeLocation_.isEmpty())
        text += QStringLiteral("\n\n") + tr("保存先: %1").arg(storeLocation_);
    seams_.warning(this, text);
}

void CVeldraDlg::GenerateCommand()
{
    // A seed number out of range has been reported by the exchange; the
    // generation goes on with the fields as they stand (see exchangeData).
    exchangeData(true);
    // Refused before the held fields take the typed values: a later save
    // must not store a length or a seed that no generation used.
    if (model_.currentList.empty()) {
        seams_.warning(this, tr(EmptyListMessage));
        return;
    }
    model_.length = lengthSpin->position();
    model_.seedText = model_.seedTextEntry;
    model_.numericSeedText = FormatNumericSeed(model_.seedNumbers);

    // A list with characters and the up-down's length always draw.
    const std::optional<Passwords> passwords = GeneratePasswords(generationRequestOf(model_));
    if (!passwords)
        return;
    model_.results = *passwords;
    exchangeData(false);
    saveAll();

    const ReportFields fields =
        reportFieldsOf(generationRequestOf(model_),
                       model_.sets.setNames[static_cast<std::size_t>(model_.sets.currentSet)],
                       model_.results, model_.spreadLevel);
    // A clipboard that cannot be had drops the report without a word: the
    // passwords are in the window and the settings are saved.
    seams_.putOnClipboard(toQ(BuildReport(formatReportTime(seams_.localTime()), fields)));
}

void CVeldraDlg::onSeedMode(bool stringMode)
{
    if (exchanging_)
        return;
    exchangeData(true);
    model_.stringSeedMode = stringMode;
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
    // An empty text, or a number beyond the signed 32-bit range, reads as 0.
    const Decimal read = parseDecimal(fromQ(lengthEdit->text()));
    const bool number =
        read.form == Decimal::Form::Number && read.value <= static_cast<std::uint32_t>(INT32_MAX);
    const int value =
        std::clamp(number ? static_cast<int>(read.value) : 0, MinPasswordLength, MaxPasswordLength);
    showFromStart(lengthEdit, QString::number(value));
}

void CVeldraDlg::onSpread()
{
    model_.spreadLevel = (model_.spreadLevel + 1) % SpreadLevels;
    layoutResults(model_.spreadLevel);
    exchangeData(false);
    saveAll();
    GenerateCommand();
}
