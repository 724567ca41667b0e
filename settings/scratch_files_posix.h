#pragma once

// The scratch files of a save beside the store file. They are named
// <file>.save-<host>-<process id>-<n>, with the suffixes a save adds:
// and, from saves of earlier versions, -checked, .lock and the six
// characters of QSettings' own temporary file.

#include <QByteArray>
#include <QList>
#include <QString>

namespace store_files {

// The host name as it may appear in a file name.
QString hostTag();

// Removes the scratch files that a save of this host left behind when its
// process was killed: only regular files of the user's whose process is
// gone.
void removeAbandonedScratchFiles(int folder, const QString& fileName, const QString& host);

// The scratch files of one save; removed unless the save kept them.
class ScratchFiles {
public:
    ScratchFiles(int folder, QList<QByteArray> names) : folder_(folder), names_(std::move(names)) {}
    ~ScratchFiles();
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

private:
    int folder_;
    QList<QByteArray> names_;
};

} // namespace store_files
