#pragma once

// <windows.h> for the files that call the Windows API: without the min and
// max macros, which break std::min and std::numeric_limits::max, and
// without the rarely used parts.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
