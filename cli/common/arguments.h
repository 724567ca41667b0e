#pragma once

#include <QStringList>

#include <string>
#include <vector>

#include "base/result.h"

// The arguments as text, the program's name first, as QCommandLineParser
// takes them. They are UTF-8; under a locale whose character set is
// something else (utf8 false) a non-ASCII argument would mean other
// characters here than in the terminal, so it is refused. The error, when
// they cannot be taken, never quotes an argument.
Result<QStringList> decodedArguments(const char* program, const std::vector<std::string>& args,
                                     bool utf8);

// Whether name can be the --app NAME of a window's executable, whose store
// it names: not empty, no folder in it ("/", "\\", "." or ".."), and no
// control character, which would end a key's line in an export.
bool isProgramName(const QString& name);

// What a usage error says of an --app that is no program name.
inline constexpr const char* BadProgramNameMessage =
    "--app takes a program name without slashes, backslashes or control characters";
