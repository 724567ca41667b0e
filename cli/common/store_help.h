#pragma once

#include <QString>

// What the programs' help says of the settings store on this platform.

// Where the store of the window's usual name lives, in one or two lines
// that end with a full stop.
QString storePlaceHelp();

// Why a store that exists may not be used, as a phrase for the exit
// statuses ("not safe to use (...)"); empty where no store is refused.
QString unsafeStoreHelp();
