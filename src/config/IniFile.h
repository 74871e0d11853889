// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/**
 * The configuration file beside the executable and AUTORUN.INF: where they are, how
 * the configuration file is read, and what the Tools command writes into them.
 */
namespace IniFile {

/** At most this much of a configuration file is read; it holds a handful of short lines. */
constexpr qint64 kMaxReadBytes = 1024 * 1024;
/** Longer lines are cut here; far above any path a file system accepts. */
constexpr qsizetype kMaxLineLength = 32 * 1024;

/**
 * The value of `key` in `section` of private-profile text: section and key compare
 * without regard to case, blanks around names and values do not count, one pair of
 * matching quotes (double or single) around a value is dropped, lines starting with
 * ";" are comments, and the first match wins. An absent section or key, or an empty
 * value, gives `def`. Lines end in CR LF or LF; a UTF-8 byte order
 * mark is skipped, and text that starts with a UTF-16 byte order mark is read as UTF-16.
 */
QString lookup(const QByteArray &content, const QString &section, const QString &key,
               const QString &def);

/** Path of the configuration file: executable folder, base name, ".INI". */
QString iniFilePath();

/**
 * The folder that `value`, read from the configuration file `file`, names. A medium
 * names its folders from where it is, so a relative one counts from the file's own
 * folder, whatever the current folder is; an absolute or empty one is taken as it is.
 */
QString folderNamedIn(const QString &value, const QString &file);

/** Path of AUTORUN.INF in the executable folder. */
QString autorunFilePath();

/** The section start-up reads: the executable base name in upper case. */
QString iniSection();

/** The nine lines the Tools command writes into the configuration file. */
QByteArray configurationFileContents();

/** The three lines of AUTORUN.INF for an executable called `baseName`. */
QByteArray autorunContents(const QString &baseName);

} // namespace IniFile

/**
 * `key` of `section` in the configuration file `file` (see IniFile::lookup); `def` when
 * the file is missing or not a regular file. Values are returned whole, whatever
 * their length.
 */
QString ReadIniValue(const QString &section, const QString &key, const QString &def,
                     const QString &file);
