// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace Paths {

namespace {
QString &folderOverride()
{
    static QString value;
    return value;
}
QString &baseNameOverride()
{
    static QString value;
    return value;
}
} // namespace

namespace {

constexpr char16_t kKeptByte = 0xDC00; // + the byte, for bytes 0x80 to 0xFF

bool isKeptByte(const QString &text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= kKeptByte + 0x80 && c <= kKeptByte + 0xFF &&
           (i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode()));
}

#ifndef Q_OS_WIN
/** Length of the valid UTF-8 sequence at `at`, or 0 when the byte there starts none. */
qsizetype validSequence(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : 0; };
    const uchar lead = byte(at);
    const auto follows = [&](qsizetype i, uchar low = 0x80, uchar high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        // No overlong forms, and no surrogates (ED A0 to ED BF).
        const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
        const uchar high = lead == 0xED ? 0x9F : 0xBF;
        return follows(at + 1, low, high) && follows(at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uchar low = lead == 0xF0 ? 0x90 : 0x80;
        const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(at + 1, low, high) && follows(at + 2) && follows(at + 3) ? 4 : 0;
    }
    return 0;
}
#endif

} // namespace

QString fromNative(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    return QFile::decodeName(bytes);
#else
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = strict(bytes);
    if (!strict.hasError())
        return text;
    text.clear();
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = validSequence(bytes, at);
        if (length == 0) {
            text.append(QChar(char16_t(kKeptByte + uchar(bytes[at]))));
            ++at;
        } else {
            text.append(QString::fromUtf8(bytes.constData() + at, length));
            at += length;
        }
    }
    return text;
#endif
}

QByteArray toNative(const QString &path)
{
#ifdef Q_OS_WIN
    return QFile::encodeName(path);
#else
    QByteArray bytes;
    qsizetype done = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path, i))
            continue;
        bytes.append(QStringView(path).mid(done, i - done).toUtf8());
        bytes.append(char(path[i].unicode() - kKeptByte));
        done = i + 1;
    }
    if (done == 0)
        return path.toUtf8();
    bytes.append(QStringView(path).mid(done).toUtf8());
    return bytes;
#endif
}

QString readable(const QString &path)
{
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isKeptByte(path, i)) {
            const char16_t byte = path[i].unicode() - kKeptByte;
            shown[i] = byte >= 0xA0 ? QChar(byte) : QChar(QChar::ReplacementCharacter);
        }
    }
    return shown;
}

QChar separator()
{
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

bool isDriveRoot(const QString &path)
{
#ifdef Q_OS_WIN
    return path.size() == 3 && path[0].isLetter() && path[1] == u':' &&
           (path[2] == u'\\' || path[2] == u'/');
#else
    return path == QLatin1String("/");
#endif
}

QString normaliseShowPath(const QString &path)
{
#ifdef Q_OS_WIN
    if (isDriveRoot(path))
        return path.left(2);
#endif
    return path;
}

bool isScannableStoredPath(const QString &path)
{
    if (path.isEmpty() || path == QLatin1String(" ") || isDriveRoot(path))
        return false;
#ifdef Q_OS_WIN
    // "C:" and the like name a drive's current folder, not a stored choice.
    if (path.size() <= 3)
        return false;
#endif
    return true;
}

QString withTrailingSeparator(const QString &path)
{
    if (path.endsWith(separator()))
        return path;
    return path + separator();
}

QString executableFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    QString dir = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    dir = QDir::toNativeSeparators(dir);
#endif
    return dir;
}

QString executableBaseName()
{
    if (!baseNameOverride().isEmpty())
        return baseNameOverride();
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void setExecutableForTesting(const QString &folder, const QString &baseName)
{
    folderOverride() = folder;
    baseNameOverride() = baseName;
}

} // namespace Paths
