#include "ui/guarded_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>

#include "settings/store_backup.h"
#include "ui/ui_seams.h"

GuardedStore::GuardedStore(UserSettingsStore& store)
    : store_(store), saving_(mayBeUsed(store.access()))
{
}

std::optional<std::u16string> GuardedStore::readText(std::u16string_view name) const
{
    if (const std::optional<std::u16string> held = held_.readText(name))
        return held;
    if (store_.access() == StoreAccess::Refused)
        return std::nullopt;
    return store_.readText(name);
}

std::optional<std::int32_t> GuardedStore::readInt(std::u16string_view name) const
{
    if (const std::optional<std::int32_t> held = held_.readInt(name))
        return held;
    if (store_.access() == StoreAccess::Refused)
        return std::nullopt;
    return store_.readInt(name);
}

void GuardedStore::writeText(std::u16string_view name, std::u16string_view value)
{
    if (saving_)
        store_.writeText(name, value);
    else
        held_.writeText(name, value);
}

void GuardedStore::writeInt(std::u16string_view name, std::int32_t value)
{
    if (saving_)
        store_.writeInt(name, value);
    else
        held_.writeInt(name, value);
}

bool GuardedStore::flush()
{
    // The user was told at the start that nothing is saved.
    return saving_ ? store_.flush() : true;
}

bool GuardedStore::canStartAfresh() const
{
    return !saving_ && store_.access() == StoreAccess::Unreadable;
}

Result<QString> GuardedStore::startAfresh()
{
    if (!canStartAfresh())
        return Error{"the settings store cannot be used"};
    const Result<StoreBackup> backup = backupStore(store_, QDateTime::currentDateTime());
    if (!backup)
        return backup.error();
    store_.allowOverwrite();
    for (const auto& [name, value] : held_.values()) {
        if (const auto* text = std::get_if<std::u16string>(&value))
            store_.writeText(name, *text);
        else
            store_.writeInt(name, std::get<std::int32_t>(value));
    }
    if (!store_.flush())
        return Error{"could not write the settings to " + store_.location().toStdString()};
    held_ = MemorySettingsStore();
    saving_ = true;
    return backup->path;
}

namespace {

// A button's text as a sentence names it: without its access key, whether
// it stands in brackets ("(&B)") or in the word ("&Back").
QString withoutMnemonic(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(u'&');
}

} // namespace

void warnAboutUnsavedStore(QWidget* owner, UiSeams& seams, GuardedStore& store)
{
    const UserSettingsStore& real = store.store();
    const QString where =
        QStringLiteral("\n\n") +
        QCoreApplication::translate("CVeldraDlg", "保存先: %1").arg(real.location()) +
        QStringLiteral("\n\n") + real.problem();
    if (!store.canStartAfresh()) {
        seams.warning(owner, GuardedStore::tr(
                                 "設定ファイルが安全ではないため使いません（ほかのユーザーのもの、"
                                 "ほかのユーザーが書き込めるもの、または通常のファイルではありま"
                                 "せん）。設定は読み込まず、保存もしません。") +
                                 where);
        return;
    }
    const QString startAfresh = GuardedStore::tr("控えを残して保存する(&B)");
    const bool chosen = seams.confirm(
        owner,
        GuardedStore::tr("設定ファイルを正しく読み込めません。上書きしないよう、設定は保存しません"
                         "。") +
            where + QStringLiteral("\n\n") +
            GuardedStore::tr("「%1」を選ぶと、今の設定ファイルを控えに残してから、この画面の設定"
                             "を保存します。")
                .arg(withoutMnemonic(startAfresh)),
        startAfresh);
    if (!chosen)
        return;
    const Result<QString> backup = store.startAfresh();
    if (!backup) {
        seams.warning(
            owner, GuardedStore::tr("控えを作れないか保存できないため、設定ファイルはそのままです。"
                                    "設定は保存しません。") +
                       QStringLiteral("\n\n") + QString::fromStdString(backup.error().message));
        return;
    }
    seams.warning(owner, GuardedStore::tr(
                             "これまでの設定ファイルを控えに残し、この画面の設定を保存しました。") +
                             QStringLiteral("\n\n") +
                             GuardedStore::tr("控え: %1")
                                 .arg(backup->isEmpty() ? GuardedStore::tr("（なし）") : *backup));
}
