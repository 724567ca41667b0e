// Any command line of tovrik-gen, run in-process against a store that
// holds three named sets, which it must leave as it found it.
#include <sstream>

#include "cli/tovrik-gen/gen_command.h"
#include "fuzz/command_line.h"
#include "fuzz/test_store.h"
#include "settings/program_names.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    putTestStore();
    failOnQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    NoInput input;
    GenEnvironment env = systemGenEnvironment(input);
    env.localTime = [] {
        std::tm time{};
        time.tm_year = 126;
        time.tm_mon = 11;
        time.tm_mday = 10;
        return std::optional<std::tm>(time);
    };
    std::ostringstream out;
    std::ostringstream err;
    const ExitStatus status = runGen(argumentsOf(bytesOf(data, size)), out, err, env);
    checkCommandOutcome(status, out.str(), err.str(), GenProgramName);
    if (status == ExitStatus::Ok)
        FUZZ_CHECK(!out.str().empty());
    checkTestStoreUnchanged();
    return 0;
}
