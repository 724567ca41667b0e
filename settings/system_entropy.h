#pragma once

#include "settings/load_save.h"

// What this process and machine give the default seed numbers: the time,
// the process id and the host name.
SeedEntropy systemSeedEntropy();
