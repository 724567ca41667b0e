#include "cli/common/command_line.h"

#include <QRegularExpression>

#include "cli/common/arguments.h"
#include "cli/common/display_text.h"
#include "engine/version.h"
#include "text/qt_text.h"

namespace {

// Qt's parser errors in the programs' own style: lower case, no full stop,
// and the same words as their other messages. Qt quotes only an option's
// name here, never its value.
std::string parserError(const QString& text)
{
    static const QRegularExpression missing(QStringLiteral("^Missing value after '([^']*)'\\.$"));
    static const QRegularExpression unexpected(
        QStringLiteral("^Unexpected value after '([^']*)'\\.$"));
    if (const QRegularExpressionMatch m = missing.match(text); m.hasMatch())
        return m.captured(1).toStdString() + " needs a value";
    if (const QRegularExpressionMatch m = unexpected.match(text); m.hasMatch())
        return m.captured(1).toStdString() + " takes no value";
    QString message = text;
    if (message.endsWith(u'.'))
        message.chop(1);
    if (!message.isEmpty())
        message[0] = message[0].toLower();
    return message.toStdString();
}

} // namespace

void printMessage(std::ostream& err, std::string_view program, std::string_view message)
{
    err << program << ": " << messageLine(message) << '\n';
}

CommandLine::CommandLine(std::string_view program, std::string_view usage,
                         const QString& description)
    : program_(program), usage_(usage),
      help_(QStringList{QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Show this help and exit.")),
      helpAll_(QStringLiteral("help-all")),
      version_(QStringList{QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Show the version and exit."))
{
    // "-owner-key" is "--owner-key", never seven one-letter options.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.setApplicationDescription(description);
    // --help-all, which Qt's own help option brings, says the same here.
    helpAll_.setFlags(QCommandLineOption::HiddenFromHelp);
    parser_.addOptions({help_, helpAll_, version_});
}

std::optional<ExitStatus> CommandLine::parse(const std::vector<std::string>& args,
                                             bool argumentsAreUtf8, std::ostream& out,
                                             std::ostream& err)
{
    const Result<QStringList> decoded = decodedArguments(program_.c_str(), args, argumentsAreUtf8);
    if (!decoded)
        return usageError(err, decoded.error().message);
    if (!parser_.parse(*decoded)) {
        // An unknown "option" may be part of a value that was not quoted,
        // or a secret typed in the wrong place: it is not repeated.
        if (!parser_.unknownOptionNames().isEmpty())
            return usageError(err, "unknown option");
        return usageError(err, parserError(parser_.errorText()));
    }
    if (parser_.isSet(help_) || parser_.isSet(helpAll_)) {
        out << helpText();
        return finish(out, err);
    }
    if (parser_.isSet(version_)) {
        out << program_ << ' ' << TovrikVersion << '\n';
        return finish(out, err);
    }
    return std::nullopt;
}

ExitStatus CommandLine::finish(std::ostream& out, std::ostream& err) const
{
    out.flush();
    if (out)
        return ExitStatus::Ok;
    printMessage(err, program_, "cannot write to standard output");
    return ExitStatus::OutputFailed;
}

ExitStatus CommandLine::usageError(std::ostream& err, std::string_view message) const
{
    printMessage(err, program_, std::string(message) + " (see --help)");
    return ExitStatus::Usage;
}

// Qt's help under a usage line that names the program whatever argv[0] is.
std::string CommandLine::helpText() const
{
    const QString text = parser_.helpText();
    return "Usage: " + program_ + ' ' + usage_ + '\n' +
           text.mid(text.indexOf(u'\n') + 1).toStdString();
}
