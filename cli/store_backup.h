#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

// Copies the store file, byte for byte, to an owner-only file beside it
// named for the time: <file>.<yyyy-MM-dd-HHmmss>.bak, or with "-2", "-3", ...
// before ".bak" when that name is taken. The copy's path; an empty path when
// the store file does not exist yet; nothing, with the reason in error, when
// the copy could not be made.
std::optional<QString> backupStoreFile(const QString& file, const QDateTime& now,
                                       std::string& error);
