#include <QFile>
#include <QFileInfo>

#include "cli/common/display_text.h"
#include "cli/tovrik-settings/settings_command.h"
#include "settings/registry_mapping.h"
#include "settings/setting_table.h"
#include "text/control_characters.h"
#include "text/qt_text.h"

namespace {

// Larger than any settings export; a bigger file is refused unread.
constexpr qint64 MaxImportBytes = RegistryExportMaxBytes;

QByteArray readImportFile(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        throw CommandFailure{fileMessage(file, 0, "no such file")};
    // A FIFO or a device would block or never end.
    if (!info.isFile())
        throw CommandFailure{fileMessage(file, 0, "not a regular file")};
    if (info.size() > MaxImportBytes)
        throw CommandFailure{fileMessage(file, 0, "too large to be a settings export")};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw CommandFailure{
            fileMessage(file, 0, "cannot read: " + in.errorString().toStdString())};
    QByteArray bytes = in.read(MaxImportBytes + 1);
    if (in.error() != QFileDevice::NoError)
        throw CommandFailure{
            fileMessage(file, 0, "cannot read: " + in.errorString().toStdString())};
    if (bytes.size() > MaxImportBytes)
        throw CommandFailure{fileMessage(file, 0, "too large to be a settings export")};
    return bytes;
}

// An owner key that the file sets must be one that can be typed: a control
// character in it is refused, with the line that sets it.
void refuseUntypableOwnerKey(const QString& file, const SectionImport& import,
                             const std::vector<RegistrySection>& sections)
{
    const std::u16string keyName = settingName(Setting::OwnerKey);
    const auto set = import.values.find(keyName);
    if (set == import.values.end() || !set->second)
        return;
    if (!holdsControlCharacters(std::get<std::u16string>(*set->second)))
        return;
    int line = 0;
    for (const RegistrySection& section : sections)
        if (registryNameKey(section.name) == registryNameKey(import.app))
            for (const RegistryValue& value : section.values)
                if (registryNameKey(value.name) == registryNameKey(keyName))
                    line = value.line; // the last one sets it
    throw CommandFailure{fileMessage(file, line,
                                     "the owner key ('" + toUtf8(keyName) +
                                         "') holds a control character (a tab, a line break, an "
                                         "escape, ...), which no owner key may hold")};
}

class ImportCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("import"); }
    QString synopsis() const override { return QStringLiteral("import FILE [--app NAME]"); }
    QString description() const override
    {
        return QStringLiteral("take the settings from a Windows registry export (.reg); with "
                              "the settings of several programs, NAME chooses one");
    }
    QStringList argumentNames() const override { return {QStringLiteral("FILE")}; }
    std::vector<const QCommandLineOption*> options(const SettingsOptions& o) const override
    {
        return {&o.app};
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        const SettingsEnvironment& env = input.env;
        const QString& file = input.arguments.front();
        const std::optional<std::u16string> app = appOption(input.parser, input.options);
        const QByteArray bytes = readImportFile(file);
        const Result<RegistryExport> parsed = parseSettingsExport(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!parsed)
            throw CommandFailure{fileMessage(file, parsed.error().line, parsed.error().message)};
        const RegistryExport& exported = parsed.value();
        const Result<SectionImport> chosen = sectionImport(exported.sections, app);
        if (!chosen)
            throw CommandFailure{fileMessage(file, chosen.error().line, chosen.error().message)};
        const SectionImport& import = chosen.value();
        refuseUntypableOwnerKey(file, import, exported.sections);

        StoreSession& session = input.session;
        takeWriteLock(session);
        const StoreBackup backup = backUp(session);
        SettingsStore& store = checkedStore(session);
        const SeedEntropy entropy = env.seedEntropy ? env.seedEntropy() : SeedEntropy{};
        const std::optional<StoredSettings> imported = applyImport(store, import, entropy);
        if (!imported)
            failWrite(session, backup);
        session.removeOldBackups();
        const StoredSettings& model = *imported;
        if (model.ownerKey.empty())
            warn(input, "the owner key is now empty, so anyone can work out your passwords; set "
                        "one with `tovrik-settings set-owner-key`");
        // Without a byte order mark the bytes alone chose the encoding.
        if (exported.encodingGuessed)
            out << "Read " << shownPath(file) << " as " << registryEncodingName(exported.encoding)
                << " (it has no byte order mark).\n";
        out << "Imported the settings of " << quotedDisplayText(import.app) << " from "
            << shownPath(file) << ".\n";
        // The window reads such a number as its default, so the import
        // takes that too, and says so.
        for (const DefaultedValue& value : import.defaulted)
            out << fileMessage(file, value.line,
                               "the number " + quotedDisplayText(value.name) + " is " + value.type +
                                   ", not a dword; imported as its default, as the window reads it")
                << "\n";
        out << "Owner name " << quotedDisplayText(model.ownerName) << ", owner key "
            << (model.ownerKey.empty() ? std::string("empty") : characterCount(model.ownerKey))
            << ", " << model.sets.setCount
            << (model.sets.setCount == 1 ? " character set" : " character sets")
            << "; `tovrik-settings show` shows the rest.\n";
        reportBackup(out, backup);
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makeImportCommand()
{
    return std::make_unique<ImportCommand>();
}
