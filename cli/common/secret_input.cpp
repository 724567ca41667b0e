#include "cli/common/secret_input.h"

#include <QStringDecoder>

std::variant<std::u16string, SecretError> readOwnerKey(SecretInput& input, bool confirm)
{
    std::optional<std::string> line;
    if (input.isTerminal()) {
        line = input.readHidden("Owner key: ");
        if (!line)
            return SecretError{"no owner key was entered"};
        if (confirm) {
            const std::optional<std::string> again = input.readHidden("Owner key again: ");
            if (!again)
                return SecretError{"the owner key was not entered a second time"};
            if (*again != *line)
                return SecretError{"the two entries differ"};
        }
    } else {
        line = input.readLine();
        if (!line)
            return SecretError{"standard input is empty; give the owner key as one line"};
    }
    if (line->ends_with('\r'))
        line->pop_back();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString key =
        decoder.decode(QByteArrayView(line->data(), static_cast<qsizetype>(line->size())));
    if (decoder.hasError())
        return SecretError{"the owner key is not valid UTF-8 text"};
    if (key.contains(QChar(u'\0')))
        return SecretError{"the owner key cannot hold a NUL character"};
    return key.toStdU16String();
}
