// CP932 through Qt's codecs, which take it from ICU.

#include "regfile/export_text.h"

namespace {

// The Windows ANSI code page of Japanese Windows, as ICU names it.
constexpr const char* AnsiCodePage = "windows-31j";

// Stateless: each text is decoded afresh, and one that ends inside a
// character is an error.
std::unique_ptr<QStringDecoder> freshDecoder()
{
    auto decoder = std::make_unique<QStringDecoder>(AnsiCodePage, QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        throw Error{"this build of Qt cannot decode CP932 (Shift-JIS); export the key again in "
                    "the Unicode format"};
    return decoder;
}

} // namespace

Cp932Decoder::Cp932Decoder() : decoder_(freshDecoder()) {}

Cp932Decoder::~Cp932Decoder() = default;

std::optional<QString> Cp932Decoder::decode(std::string_view bytes)
{
    QString text =
        decoder_->decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!decoder_->hasError())
        return text;
    // An error stays with a decoder, and neither resetting ICU's decoder nor
    // moving another over it gives one that reports errors again.
    decoder_ = freshDecoder();
    return std::nullopt;
}
