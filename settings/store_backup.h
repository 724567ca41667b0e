#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

class QtSettingsStore;

// Keeps a copy of the store before tovrik-settings changes it, named for the
// time. A store file is copied byte for byte to an owner-only file beside it
// in its checked folder, <file>.<yyyy-MM-dd-HHmmss>.bak ("-2", "-3", ...
// before ".bak" when that name is taken), made anew, never through a link.
// A store that is no file (the registry) is kept as a registry export of its
// values, tovrik-backup-<yyyy-MM-dd-HHmmss>.reg in the user's documents.
//
// The copy's path; an empty path when nothing is stored yet; nothing, with
// the reason in error, when the copy could not be made.
std::optional<QString> backupStore(const QtSettingsStore& store, const QDateTime& now,
                                   std::string& error);
