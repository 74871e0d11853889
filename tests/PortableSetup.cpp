// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortableSetup.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PortableSetup {

bool makeFifo(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return false;
#else
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#endif
}

bool readsPastPermissions()
{
#ifdef Q_OS_WIN
    return false;
#else
    return ::geteuid() == 0;
#endif
}

UnreadableFile::UnreadableFile(const QString &path) : mPath(path)
{
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    HANDLE handle = ::CreateFileW(native.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        mHandle = handle;
        mActive = true;
    }
#else
    mActive = !readsPastPermissions() && ::chmod(QFile::encodeName(path).constData(), 0) == 0;
#endif
}

UnreadableFile::~UnreadableFile()
{
    release();
}

void UnreadableFile::release()
{
    if (!mActive)
        return;
    mActive = false;
#ifdef Q_OS_WIN
    ::CloseHandle(mHandle);
    mHandle = nullptr;
#else
    ::chmod(QFile::encodeName(mPath).constData(), 0600);
#endif
}

} // namespace PortableSetup
