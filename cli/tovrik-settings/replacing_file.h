#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Writes bytes to the file at path, readable by its owner only, in one
// step: whatever the name held is replaced once the whole file is written.
// A link at the name is replaced, never written through, and one that
// another user owns is refused (in a shared folder such as /tmp it may have
// been planted); so are a folder, a FIFO and a device. Nothing when the file
// is written; else what went wrong, without the path.
std::optional<std::string> writeReplacingFile(const QString& path, std::string_view bytes);
