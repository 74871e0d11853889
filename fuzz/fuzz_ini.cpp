// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The configuration file reader: arbitrary bytes as the file's content, looked up with
// the keys start-up reads and with a section and key taken from the input itself.

#include "config/IniFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    static const char *const keys[] = {"Path",    "FullScreen",  "Repeat",
                                       "Random",  "FileType",    "Interval",
                                       "Stretch", "RetainShape", "Start"};
    for (const char *key : keys)
        (void)IniFile::lookup(content, QStringLiteral("VIVREL"), QLatin1String(key),
                              QStringLiteral("default"));
    // A section and key from the first line, so odd names are tried too.
    const qsizetype cut = content.indexOf('\n');
    const QString first = QString::fromUtf8(content.left(cut < 0 ? 64 : cut));
    const QString section = first.section(u'=', 0, 0);
    const QString key = first.section(u'=', 1, 1);
    (void)IniFile::lookup(content, section, key, QString());
    return 0;
}
