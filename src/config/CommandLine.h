// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
 * Gives `parser` the program's options and, hidden from the help, the options that
 * Qt's GUI application takes off the command line itself (`-platform xcb`, `-style`,
 * ...), so that the command line can be judged before that application exists.
 */
void setUpBeforeGui(QCommandLineParser &parser);

/**
 * True when `arguments` (program name first, as main() received them) are answered
 * without a window: help, the version, or an error (an option neither the program nor
 * Qt knows, a missing value). Then no display is needed: the parser set up by
 * setUpBeforeGui() prints the answer.
 */
bool answersWithoutDisplay(const QStringList &arguments);

/**
 * The `paths` that exist, made absolute, in the order given; each one that does not
 * exist is passed to `reportMissing` once and left out.
 */
QStringList existingPaths(const QStringList &paths,
                          const std::function<void(const QString &path)> &reportMissing);

} // namespace CommandLine
