#pragma once

// The scratch files of a save beside the store file. They are named
// <file>.save-<host>-<process id>-<n>, and those of earlier versions' saves
// with the suffix -checked, .lock or the six characters of QSettings' own
// temporary file.

#include <QString>

namespace store_files {

// The host name as it may appear in a file name.
QString hostTag();

// Removes the scratch files that a save of this host left behind when its
// process was killed: only regular files of the user's whose process is
// gone.
void removeAbandonedScratchFiles(int folder, const QString& fileName, const QString& host);

} // namespace store_files
