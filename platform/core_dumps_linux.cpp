#include "platform/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

void disableCoreDumps()
{
    const rlimit none{0, 0};
    (void)setrlimit(RLIMIT_CORE, &none);
    // Not dumpable: no core even for a core pattern that pipes to a helper,
    // and /proc/<pid>/mem closed to the user's other processes.
    (void)prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}
