#include "config/CommandLine.h"

#include "common/Files.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace CommandLine {

void setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Plays the pictures of a folder tree as a slide show. Folders and "
                       "pictures named here are listed, all selected, and the show starts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QStringLiteral("A folder to list with the folders below it, "
                                                "or a picture to list alone."),
                                 QStringLiteral("[PATH...]"));
}

bool answersWithoutDisplay(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUp(parser);
    if (!parser.parse(arguments))
        return false;
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
