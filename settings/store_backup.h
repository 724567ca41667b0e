#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

class QtSettingsStore;

// How many backups are kept: the newest ones, counting the one just made.
inline constexpr int KeptBackups = 5;

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

// Once a write that followed a backup has succeeded: removes the backups
// beyond the newest KeptBackups, by the time and number in their names.
// Only files named as backupStore names them are touched, and of those only
// regular files (not links) of the folder's owner. A backup that cannot be
// removed stays; nothing is reported.
void removeOldBackups(const QtSettingsStore& store);
