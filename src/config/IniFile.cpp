// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "config/IniFile.h"

#include "common/Files.h"
#include "common/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace IniFile {

namespace {

QString decode(QByteArray content)
{
    // Some editors save as UTF-16 and mark it; such a file read as bytes finds nothing.
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(content.startsWith("\xFF") ? QStringDecoder::Utf16LE
                                                        : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16.decode(QByteArrayView(content).sliced(2));
    }
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(content);
    // A file written by an older editor in a single-byte code page.
    if (utf8.hasError())
        text = QString::fromLatin1(content);
    return text;
}

} // namespace

QString lookup(const QByteArray &content, const QString &section, const QString &key,
               const QString &def)
{
    const QString text = decode(content);
    bool inSection = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (line.size() > kMaxLineLength)
            line = line.left(kMaxLineLength);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            qsizetype close = line.indexOf(u']');
            if (close < 0)
                close = line.size();
            const QStringView name = line.mid(1, close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = line.mid(equals + 1).trimmed();
        // Quotes keep blanks at the ends of a value; one matching pair around it is
        // not part of it ("" is then empty, like a value left out).
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        return value.isEmpty() ? def : value.toString();
    }
    return def;
}

QString iniFilePath()
{
    return Paths::withTrailingSeparator(Paths::executableFolder()) + Paths::executableBaseName() +
           QStringLiteral(".INI");
}

QString folderNamedIn(const QString &value, const QString &file)
{
#ifdef Q_OS_WIN
    // "D:pics" counts from the current folder of drive D:, which only that drive knows.
    if (value.size() >= 2 && value[1] == u':')
        return value;
#endif
    if (value.isEmpty() || !QDir::isRelativePath(value))
        return value;
    const QString joined =
        QDir::cleanPath(QFileInfo(file).absolutePath() + u'/' + QDir::fromNativeSeparators(value));
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(joined);
#else
    return joined;
#endif
}

QString autorunFilePath()
{
    return Paths::withTrailingSeparator(Paths::executableFolder()) + QStringLiteral("AUTORUN.INF");
}

QString iniSection()
{
    return Paths::executableBaseName().toUpper();
}

QByteArray configurationFileContents()
{
    // The folder is left empty so that the medium shows the folder it is run from.
    return QByteArrayLiteral("[Vivrel]\r\n"
                             "PATH=\r\n"
                             "START = 1\r\n"
                             "FILETYPE = 0\r\n"
                             "FullScreen = 1\r\n"
                             "Interval = 1.5\r\n"
                             "REPEAT = 1\r\n"
                             "Stretch = 1\r\n"
                             "RetainShape = 1\r\n");
}

QByteArray autorunContents(const QString &baseName)
{
    const QByteArray exe = baseName.toUtf8() + ".EXE";
    return "[AUTORUN]\r\nICON=" + exe + ",0\r\nOPEN=" + exe + "\r\n";
}

} // namespace IniFile

QString ReadIniValue(const QString &section, const QString &key, const QString &def,
                     const QString &file)
{
    // Only a regular file is opened: reading a pipe or a device could block start-up.
    const Result<QByteArray> content = Files::read(file, IniFile::kMaxReadBytes);
    return content ? IniFile::lookup(*content, section, key, def) : def;
}
