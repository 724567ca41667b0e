#include "cli/common/secret_input.h"

#include <QStringDecoder>

namespace {

// What a read that gave no line means for the key; ended: what to say when
// the input ended.
Error readError(ReadFailure failure, std::string ended)
{
    switch (failure) {
    case ReadFailure::InputEnded: return Error{std::move(ended)};
    case ReadFailure::TooLong:
        return Error{"the line read is longer than " + std::to_string(MaxSecretLineBytes) +
                     " bytes, too long for an owner key"};
    case ReadFailure::PromptFailed: return Error{"the prompt cannot be written to standard error"};
    }
    return Error{std::move(ended)};
}

} // namespace

Result<std::u16string> readOwnerKey(SecretInput& input, bool confirm)
{
    SecretRead read;
    const bool terminal = input.isTerminal();
    if (terminal) {
        read = input.readHidden("Owner key: ");
        if (const auto* failure = std::get_if<ReadFailure>(&read))
            return readError(*failure, "no owner key was entered");
        if (confirm) {
            const SecretRead again = input.readHidden("Owner key again: ");
            if (const auto* failure = std::get_if<ReadFailure>(&again))
                return readError(*failure, "the owner key was not entered a second time");
            if (std::get<std::string>(again) != std::get<std::string>(read))
                return Error{"the two entries differ"};
        }
    } else {
        read = input.readLine();
        if (const auto* failure = std::get_if<ReadFailure>(&read))
            return readError(*failure, "standard input is empty; give the owner key as one line");
    }
    std::string& line = std::get<std::string>(read);
    if (line.ends_with('\r'))
        line.pop_back();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString key =
        decoder.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    if (decoder.hasError()) {
        std::string message = "the owner key is not valid UTF-8 text";
        if (!terminal)
            message += PipedKeyEncodingAdvice;
        return Error{std::move(message)};
    }
    if (key.contains(QChar(u'\0')))
        return Error{"the owner key cannot hold a NUL character"};
    return key.toStdU16String();
}
