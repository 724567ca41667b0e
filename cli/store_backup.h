#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

#include "settings/store_backend.h"

// Copies the store file, byte for byte, to an owner-only file beside it in
// its checked folder, named for the time: <file>.<yyyy-MM-dd-HHmmss>.bak, or
// with "-2", "-3", ... before ".bak" when that name is taken. The copy is
// made anew, never through a link. The copy's path (as the folder's own
// path names it); an empty path when the store file does not exist yet;
// nothing, with the reason in error, when the copy could not be made.
std::optional<QString> backupStoreFile(const StoreFolder& folder, const QDateTime& now,
                                       std::string& error);
