#include "platform/core_dumps.h"

#include <sys/resource.h>

void disableCoreDumps()
{
    const rlimit none{0, 0};
    (void)setrlimit(RLIMIT_CORE, &none);
}
