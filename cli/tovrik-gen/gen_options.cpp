#include "cli/tovrik-gen/gen_options.h"

#include "cli/common/arguments.h"
#include "cli/common/command_line.h"
#include "cli/common/secret_input.h"
#include "settings/store_identity.h"
#include "text/qt_text.h"

GenOptions::GenOptions()
    : ownerName("owner-name", "Owner name mixed into every password.", "TEXT"),
      ownerKey("owner-key",
               "Owner key mixed into every password. Other users of this machine can see it while "
               "tovrik-gen runs, and the shell's history keeps it: prefer --ask-owner-key.",
               "TEXT"),
      askOwnerKey(
          "ask-owner-key",
          QStringLiteral("Read the owner key: asked with echo off on a terminal, else one line of "
                         "standard input (at most %1 bytes).")
              .arg(MaxSecretLineBytes)),
      seed("seed", "Seed text (string seed mode).", "TEXT"),
      numbers(
          "numbers",
          QStringLiteral("%1 unsigned 32-bit numbers (numeric seed mode).").arg(SeedNumberCount),
          "A-B-C-D-E-F-G"),
      length("length",
             QStringLiteral("Characters per password, %1 to %2.")
                 .arg(MinPasswordLength)
                 .arg(MaxPasswordLength),
             "L"),
      complex("complex", "Every character class of the list in each password."),
      set("set", "Draw from the stored character set of that exact name.", "NAME"),
      list("list",
           QStringLiteral("Character list to draw from; the report then gives %1 as its set name.")
               .arg(toQ(ListOptionSetName)),
           "CHARS"),
      spread("spread",
             QStringLiteral("Print 2^LEVEL passwords, LEVEL 0 to %1 (default: the stored level; %1 "
                            "with --no-store).")
                 .arg(SpreadLevels - 1),
             "LEVEL"),
      report("report", "Print the generation report (CR LF) instead."),
      noStore("no-store", "Ignore the store and use first-start values."),
      app("app",
          QStringLiteral("Read the store of the window whose executable is named NAME, without its "
                         "extension (default %1).")
              .arg(StoreIdentity::ofWindow().application),
          "NAME")
{
}

QList<QCommandLineOption> GenOptions::all() const
{
    return {ownerName, ownerKey, askOwnerKey, seed,   numbers, length, complex,
            set,       list,     spread,      report, noStore, app};
}

void checkUsage(const QCommandLineParser& parser, const GenOptions& options)
{
    if (!parser.positionalArguments().isEmpty())
        throw UsageError{"unexpected argument; a value that holds spaces must be quoted"};
    if (parser.isSet(options.seed) && parser.isSet(options.numbers))
        throw UsageError{"--seed and --numbers cannot be used together"};
    if (parser.isSet(options.set) && parser.isSet(options.list))
        throw UsageError{"--set and --list cannot be used together"};
    if (parser.isSet(options.ownerKey) && parser.isSet(options.askOwnerKey))
        throw UsageError{"--owner-key and --ask-owner-key cannot be used together"};
    if (parser.isSet(options.app) && parser.isSet(options.noStore))
        throw UsageError{"--app and --no-store cannot be used together"};
    if (parser.isSet(options.app) && !isProgramName(parser.value(options.app)))
        throw UsageError{BadProgramNameMessage};
}
