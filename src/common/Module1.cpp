// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Module1.h"

#include "common/Version.h"
#include "common/WriteGuard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace Module1 {

QString programTitle()
{
    return QStringLiteral("Vivrel");
}

QString mainCaption()
{
    return QStringLiteral("Tremallo Vivrel");
}

QString &mTempPath()
{
    static QString path;
    return path;
}

void initTempPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
#ifdef Q_OS_WIN
    dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
#endif
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.cache/Vivrel");
    WriteGuard::checkWrite(dir, "the private folder");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    mTempPath() = QDir::toNativeSeparators(dir + u'/');
}

QString versionString()
{
    return QStringLiteral("%1.%2.%3")
        .arg(VIVREL_VERSION_MAJOR)
        .arg(VIVREL_VERSION_MINOR)
        .arg(VIVREL_VERSION_PATCH);
}

} // namespace Module1
