#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;

/**
 * The program's command line: `Vivrel [OPTIONS] [PATH...]`. It sits on top of start-up,
 * which reads no arguments itself: the paths it names are listed once start-up is done.
 */
namespace CommandLine {

/** Gives `parser` the program's options (help, version) and its path arguments. */
void setUp(QCommandLineParser &parser);

/**
 * True when `arguments` (program name first, as main() received them) ask only for
 * help or the version: then no window is needed, nor a display. Anything the parser
 * does not know may be one of Qt's own options, which only the GUI application can
 * take off, so that case answers false and is left to the full parse.
 */
bool answersWithoutDisplay(const QStringList &arguments);

/**
 * The `paths` that exist, made absolute, in the order given; each one that does not
 * exist is passed to `reportMissing` once and left out.
 */
QStringList existingPaths(const QStringList &paths,
                          const std::function<void(const QString &path)> &reportMissing);

} // namespace CommandLine
