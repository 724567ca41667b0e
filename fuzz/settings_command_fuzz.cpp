// Any command line of tovrik-settings that does not write (no import,
// export or set-owner-key), run in-process against a store that holds
// three named sets, which it must leave as it found it.
#include <algorithm>
#include <sstream>

#include "cli/tovrik-settings/run_settings.h"
#include "fuzz/command_line.h"
#include "fuzz/temp_config_home.h"
#include "fuzz/test_store.h"
#include "settings/program_names.h"
#include "tests/support/forwarding_session.h"

namespace {

bool writes(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "import" || arg == "export" || arg == "set-owner-key";
    });
}

// The system's session, but should a command try to write all the same,
// its lock is refused.
class ReadOnlySession : public ForwardingSession {
public:
    using ForwardingSession::ForwardingSession;
    Result<void> lockForWriting() override { return Error{"writing is not fuzzed"}; }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    putTestStore();
    failOnQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> args = argumentsOf(bytesOf(data, size));
    if (writes(args))
        return 0;
    NoInput input;
    SettingsEnvironment env = systemSettingsEnvironment(input);
    env.openSession = [open = env.openSession](const QString& app) {
        return std::make_unique<ReadOnlySession>(open(app));
    };
    std::ostringstream out;
    std::ostringstream err;
    const ExitStatus status = runSettings(args, out, err, env);
    checkCommandOutcome(status, out.str(), err.str(), SettingsProgramName);
    checkTestStoreUnchanged();
    return 0;
}
