#include "cli/tovrik-settings/settings_command.h"

namespace {

class PathCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("path"); }
    QString synopsis() const override { return QStringLiteral("path"); }
    QString description() const override
    {
        return QStringLiteral("print where the settings are stored");
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        checkedStore(input.session); // a store that is not used has no place to print
        out << input.session.location().toStdString() << '\n';
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makePathCommand()
{
    return std::make_unique<PathCommand>();
}
