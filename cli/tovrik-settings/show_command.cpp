#include <algorithm>

#include "cli/common/display_text.h"
#include "cli/tovrik-settings/settings_command.h"
#include "settings/load_save.h"
#include "text/qt_text.h"

namespace {

class ShowCommand : public SettingsCommand {
public:
    QString name() const override { return QStringLiteral("show"); }
    QString synopsis() const override { return QStringLiteral("show [--reveal-key]"); }
    QString description() const override
    {
        return QStringLiteral("print every setting as the window would load it; the owner key "
                              "shows only as set or empty unless --reveal-key");
    }
    std::vector<const QCommandLineOption*> options(const SettingsOptions& o) const override
    {
        return {&o.revealKey};
    }

    ExitStatus run(const CommandInput& input, std::ostream& out) const override
    {
        const SettingsStore& store = checkedStore(input.session);
        const std::vector<NamedValue> stored = storedValues(store);
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});

        const std::u16string seedsName = settingName(Setting::NumericSeedText);
        const bool seedsStored = std::any_of(
            stored.begin(), stored.end(), [&](const NamedValue& v) { return v.name == seedsName; });
        if (stored.empty()) {
            // A file that is there but holds none of the values (damaged,
            // or some other program's) is not a first start.
            const bool exists = input.session.exists();
            out << (exists ? "(The store holds none of the settings; it may be damaged. These are "
                             "the values of a first start.)\n"
                           : "(Nothing is stored yet: these are the values of a first start.)\n");
        }
        out << "owner name:   " << displayText(model.ownerName) << '\n';
        out << "owner key:    ";
        if (input.parser.isSet(input.options.revealKey))
            out << displayText(model.ownerKey) << '\n';
        else if (model.ownerKey.empty())
            out << "(empty)\n";
        else
            out << "(set, " << characterCount(model.ownerKey) << ")\n";
        out << "length:       " << model.length << '\n';
        out << "complexity:   " << (model.complexity != 0 ? "on" : "off") << '\n';
        out << "seed mode:    " << (model.stringSeedMode ? "text" : "numbers") << '\n';
        out << "seed text:    " << displayText(model.seedText) << '\n';
        out << "seed numbers: "
            << (seedsStored ? toUtf8(FormatNumericSeed(parseNumericSeedText(model.numericSeedText)))
                            : std::string("(none stored: the window draws new ones at its start)"))
            << '\n';
        out << "spread level: " << model.spreadLevel << " (" << (1 << model.spreadLevel)
            << (model.spreadLevel == 0 ? " password" : " passwords") << " shown)\n";
        out << "character sets (* selected):\n";
        for (std::int32_t i = 0; i < model.sets.setCount; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            out << (i == model.sets.currentSet ? "  * " : "    ") << i + 1 << ' '
                << quotedDisplayText(model.sets.setNames[slot]) << ": "
                << displayText(model.sets.setLists[slot]) << '\n';
        }
        return ExitStatus::Ok;
    }
};

} // namespace

std::unique_ptr<SettingsCommand> makeShowCommand()
{
    return std::make_unique<ShowCommand>();
}
