// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "config/CommandLine.h"

#include "common/Files.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace CommandLine {

void setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Plays the pictures of a folder tree as a slide show. Folders "
                       "and pictures named here are listed, all selected, and the "
                       "show starts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QCoreApplication::translate("CommandLine",
                                                             "A folder to list with the folders "
                                                             "below it, or a picture to list "
                                                             "alone."),
                                 QStringLiteral("[PATH...]"));
}

void setUpBeforeGui(QCommandLineParser &parser)
{
    setUp(parser);
    // Qt's own options are words after a single dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    struct QtOption
    {
        const char *name;
        bool takesValue;
    };
    // What QGuiApplication, QApplication and the xcb platform read from the command line.
    static constexpr QtOption qtOptions[] = {
        {"platform", true},      {"platformpluginpath", true},
        {"platformtheme", true}, {"plugin", true},
        {"qmljsdebugger", true}, {"qwindowgeometry", true},
        {"geometry", true},      {"qwindowicon", true},
        {"icon", true},          {"qwindowtitle", true},
        {"title", true},         {"session", true},
        {"display", true},       {"name", true},
        {"style", true},         {"stylesheet", true},
        {"reverse", false},      {"widgetcount", false},
        {"nograb", false},       {"dograb", false},
        {"sync", false},
    };
    for (const QtOption &qt : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name));
        if (qt.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

bool answersWithoutDisplay(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUpBeforeGui(parser);
    if (!parser.parse(arguments))
        return true;
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
           parser.isSet(QStringLiteral("version"));
}

QStringList existingPaths(const QStringList &paths,
                          const std::function<void(const QString &path)> &reportMissing)
{
    QStringList kept;
    QSet<QString> reported;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        // Asked by the name's own bytes, which need not be valid UTF-8.
        if (Files::kindOf(path) != Files::Kind::Missing) {
            // Absolute and without a trailing separator, as the folder chooser gives a
            // folder: it may become the stored folder, read again from elsewhere.
            kept.append(QDir::cleanPath(info.absoluteFilePath()));
            continue;
        }
        if (!reported.contains(path)) {
            reported.insert(path);
            reportMissing(path);
        }
    }
    return kept;
}

} // namespace CommandLine
