#pragma once

#include <QDateTime>
#include <QString>

#include "base/result.h"

class UserSettingsStore;

// How many backups are kept: the newest ones, counting the one just made.
// Beyond them, the newest backup that holds another owner key than the store
// is kept too, so that no run of changes can push out the last copy of an
// earlier key.
inline constexpr int KeptBackups = 5;

// A backup of the store.
struct StoreBackup {
    QString path;      // empty when nothing is stored yet
    bool made = false; // false when the newest backup already held the same bytes
};

// Keeps a copy of the store before it is changed. Backups are numbered in
// the order they are made: <stem><number>-<yyyy-MM-dd-HHmmss><suffix>, the
// number of at least six digits, so that their names sort in that order.
// A store file is copied byte for byte to an owner-only file beside it in
// its checked folder, <file>.<number>-<time>.bak, made anew, never through a
// link. A store that is no file (the registry) is kept as a registry export
// of its values, wrong-typed ones included,
// tovrik-backup-<number>-<time>.reg in a folder of the organisation's under
// the user's local application data, readable by the user only. A store
// whose bytes are those of the newest backup is not copied again: that
// backup is given, as not made.
//
// An error when the copy could not be made.
Result<StoreBackup> backupStore(const UserSettingsStore& store, const QDateTime& now);

// Once a write that followed a backup has succeeded: removes the backups
// beyond the newest KeptBackups, in the order they were made (the names of
// earlier versions, <file>.<time>[-N].bak, count as made before any
// numbered one), but never the newest that holds another owner key than the
// store. Only files named as backups are touched, and of those only regular
// files (not links) of the folder's owner. A backup that cannot be removed
// stays; nothing is reported.
void removeOldBackups(const UserSettingsStore& store);
