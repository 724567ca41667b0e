#include "cli/common/arguments.h"

#include <QStringDecoder>

#include <algorithm>

Result<QStringList> decodedArguments(const char* program, const std::vector<std::string>& args,
                                     bool utf8)
{
    QStringList list{QString::fromLatin1(program)};
    for (const std::string& arg : args) {
        if (!utf8 && std::any_of(arg.begin(), arg.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
            return Error{"the locale's character set is not UTF-8, so only plain ASCII arguments "
                         "are taken; run under a UTF-8 locale"};
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text =
            decoder.decode(QByteArrayView(arg.data(), static_cast<qsizetype>(arg.size())));
        if (decoder.hasError()) {
            return Error{"arguments must be valid UTF-8"};
        }
        list.push_back(std::move(text));
    }
    return list;
}

bool isProgramName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
           !name.contains(u'/') && std::none_of(name.begin(), name.end(), [](QChar c) {
               return c.unicode() < 0x20 || c.unicode() == 0x7F;
           });
}
