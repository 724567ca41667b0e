#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <string_view>
#include <vector>

#include "engine/generate.h"

// What the report gives as the set's name when --list gave the list: no
// stored set may be named for a list that did not come from it.
inline constexpr std::u16string_view ListOptionSetName = u"（--list で指定）";

// The options of tovrik-gen, each overriding its stored value.
struct GenOptions {
    GenOptions();

    QCommandLineOption ownerName;
    QCommandLineOption ownerKey;
    QCommandLineOption askOwnerKey;
    QCommandLineOption seed;
    QCommandLineOption numbers;
    QCommandLineOption length;
    QCommandLineOption complex;
    QCommandLineOption set;
    QCommandLineOption list;
    QCommandLineOption spread;
    QCommandLineOption report;
    QCommandLineOption noStore;
    QCommandLineOption app;

    // Every option, in the order the help lists them.
    QList<QCommandLineOption> all() const;
};

// Throws a UsageError for positional arguments, options that exclude each
// other, and an --app that names no program.
void checkUsage(const QCommandLineParser& parser, const GenOptions& options);
