#include "cli/tovrik-settings/settings_command.h"
#include "platform/file_writes.h"
#include "settings/registry_mapping.h"
#include "settings/store_identity.h"
#include "text/qt_text.h"

namespace {

class ExportCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("export"); }
    QString synopsis() const override { return QStringLiteral("export FILE [--app NAME]"); }
    QString description() const override
    {
        return QStringLiteral("write the settings as a registry export for %1 (NAME: %2 unless "
                              "given); the file holds the owner key")
            .arg(toQ(StoreIdentity::ofWindow(QStringLiteral("NAME")).settingsKeyPath()),
                 StoreIdentity::ofWindow().application);
    }
    QStringList argumentNames() const override { return {QStringLiteral("FILE")}; }
    std::vector<const QCommandLineOption*> options(const SettingsOptions& o) const override
    {
        return {&o.app};
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        const QString& file = input.arguments.front();
        const QString app = toQ(appOption(input.parser, input.options).value_or(u""));
        const SettingsStore& store = checkedStore(input.session);
        const std::vector<NamedValue> values = storedValues(store);
        if (values.empty())
            throw CommandFailure{"nothing is stored in " + input.session.location().toStdString() +
                                 " yet; start the window once, or import settings"};
        const std::u16string key = StoreIdentity::ofWindow(app).settingsKeyPath();
        const std::string bytes = writeRegistryExport(key, registryValues(values));

        // The file holds the owner key: owner-only, and replaced in one step.
        if (const Result<void> written = writeReplacingFile(file, bytes); !written)
            throw CommandFailure{fileMessage(file, 0, written.error().message)};

        out << "Exported " << values.size() << " values to " << shownPath(file) << ", for "
            << toUtf8(key) << ".\n"
            << "The file holds the owner key: keep it as safe as the key itself.\n";
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makeExportCommand()
{
    return std::make_unique<ExportCommand>();
}
