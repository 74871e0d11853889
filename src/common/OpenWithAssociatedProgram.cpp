// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/OpenWithAssociatedProgram.h"

#include "common/Files.h"
#include "common/Module1.h"
#include "common/Seams.h"

#include <QDir>
#include <QFile>

namespace Module1 {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == QDir::separator();
}

// The copy replaces whatever stands at its name (an older copy, or a link someone
// planted) as a directory entry, and is never written through it.
Result<> copyTo(const QString &path, const QString &copy)
{
    if (copy.isEmpty())
        return Error::BadFileName;
    QFile source;
    if (Result<> opened = Files::openForReading(path, source); !opened)
        return opened;
    return Files::replace(copy, source);
}

} // namespace

QString workingCopyName(const QString &path)
{
    if (path.size() < 3)
        return QString();
    const QString extension = path.right(3);
    for (QChar c : extension) {
        if (isSeparator(c))
            return QString();
    }
    return mTempPath() + QStringLiteral("Tremallo.") + extension;
}

void OpenWithAssociatedProgram(const QString &path)
{
    if (mTempPath().isEmpty())
        initTempPath();
    const QString copy = workingCopyName(path);
    if (const Result<> copied = copyTo(path, copy); !copied) {
        seams().showMessage(errorText(copied.error()), MsgStyle::Critical, programTitle());
        return;
    }
    seams().openWithShell(copy);
}

} // namespace Module1
