// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/WriteGuard.h"

#include <QDir>
#include <QFileInfo>

namespace WriteGuard {

namespace {

struct Roots
{
    QString root;
    QString allowed;
    QString resolvedRoot;
    QString resolvedAllowed;
};

Roots &roots()
{
    static Roots value;
    return value;
}

QString cleaned(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool isWithin(const QString &path, const QString &folder)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    if (path.compare(folder, cs) == 0)
        return true;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix, cs);
}

// The path with every link resolved as far as it exists: a file about to be created
// is judged by the real place of the folder that will hold it.
QString resolved(const QString &path)
{
    QString head = cleaned(path);
    QString tail;
    for (;;) {
        const QString real = QFileInfo(head).canonicalFilePath();
        if (!real.isEmpty())
            return tail.isEmpty() ? real : QDir(real).filePath(tail);
        const qsizetype cut = head.lastIndexOf(u'/');
        // A root ("/", "C:/") keeps its separator.
        const qsizetype keep = cut == 0 || (cut == 2 && head.at(1) == u':') ? cut + 1 : cut;
        if (cut < 0 || keep >= head.size())
            return cleaned(path); // not even the root is there
        tail = tail.isEmpty() ? head.mid(cut + 1) : head.mid(cut + 1) + u'/' + tail;
        head.truncate(keep);
    }
}

} // namespace

void forbid(const QString &root, const QString &allowed)
{
    Roots &r = roots();
    r.root = root.isEmpty() ? QString() : cleaned(root);
    r.allowed = allowed.isEmpty() ? QString() : cleaned(allowed);
    r.resolvedRoot = root.isEmpty() ? QString() : resolved(root);
    r.resolvedAllowed = allowed.isEmpty() ? QString() : resolved(allowed);
}

QString forbiddenRoot()
{
    return roots().root;
}

bool isRefused(const QString &path, const QString &root, const QString &allowed)
{
    if (root.isEmpty())
        return false;
    const QString p = cleaned(path);
    if (!isWithin(p, cleaned(root)))
        return false;
    return allowed.isEmpty() || !isWithin(p, cleaned(allowed));
}

bool refuses(const QString &path)
{
    const Roots &r = roots();
    if (r.root.isEmpty())
        return false;
    return isRefused(path, r.root, r.allowed) ||
           isRefused(resolved(path), r.resolvedRoot, r.resolvedAllowed);
}

void checkWrite(const QString &path, const char *what)
{
    const Roots &r = roots();
    if (refuses(path))
        qFatal("Refusing to write %s at %s: it lies in the real home %s, outside the test "
               "sandbox %s",
               what, qPrintable(QDir::toNativeSeparators(path)), qPrintable(r.root),
               qPrintable(r.allowed));
}

} // namespace WriteGuard
