#pragma once

#include <QString>

#include "base/result.h"

// The folder for the backups of a store that is no file (the registry): a
// folder of the organisation's in the user's local application data
// (%LOCALAPPDATA%\Ostrel Applications on Windows), made when missing and
// kept readable by the user only, since backups hold the owner key. One
// implementation per platform, chosen in CMake. An error when it cannot be
// made private.
Result<QString> privateBackupFolder(const QString& organization);
