#include "platform/core_dumps.h"

// Windows writes no core files of its own; crash reports follow the user's
// Windows Error Reporting settings.
void disableCoreDumps() {}
