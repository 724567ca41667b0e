#pragma once

#include <QStringDecoder>
#include <QtGlobal>

#include <sstream>
#include <string>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/common/secret_input.h"
#include "fuzz/fuzz_support.h"

// The arguments of a command line: the input split at its NUL bytes, as
// the kernel hands them over.
// Standard input that is not a terminal and holds nothing.
class NoInput : public SecretInput {
public:
    bool isTerminal() override { return false; }
    SecretRead readHidden(std::string_view) override { return ReadFailure::InputEnded; }
    SecretRead readLine() override { return ReadFailure::InputEnded; }
};

inline std::vector<std::string> argumentsOf(std::string_view bytes)
{
    std::vector<std::string> args;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\0'), bytes.size());
        args.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return args;
}

// A Qt message would reach the user's terminal besides the command's own
// output: every one fails the run.
inline void failOnQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        std::fprintf(stderr, "unexpected Qt message: %s\n", qPrintable(message));
        std::abort();
    });
}

inline bool isUtf8(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

// What every run of a command gives: status 0 with its output, and on
// standard error at most one warning line; or status 1 or 2 with one error
// line there and nothing on standard output. Every line there is named for
// the program.
inline void checkCommandOutcome(ExitStatus status, const std::string& out, const std::string& err,
                                std::string_view program)
{
    FUZZ_CHECK(status == ExitStatus::Ok || status == ExitStatus::Failure ||
               status == ExitStatus::Usage);
    FUZZ_CHECK(isUtf8(out) && isUtf8(err));
    const std::string name(program);
    if (status == ExitStatus::Ok) {
        if (err.empty())
            return;
        FUZZ_CHECK(err.rfind(name + ": warning: ", 0) == 0);
    } else {
        FUZZ_CHECK(out.empty());
        FUZZ_CHECK(err.rfind(name + ": ", 0) == 0);
    }
    FUZZ_CHECK(err.find('\n') == err.size() - 1);
    for (char c : err)
        FUZZ_CHECK(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F));
}
