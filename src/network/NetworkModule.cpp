// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "network/NetworkModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <optional>

// Both are set by the build (src/network/CMakeLists.txt): the module's file name, and
// its installed folder relative to the program's.
#ifndef VIVREL_NETWORK_MODULE_FILE
#error "VIVREL_NETWORK_MODULE_FILE is not defined"
#endif
#ifndef VIVREL_NETWORK_MODULE_DIR
#error "VIVREL_NETWORK_MODULE_DIR is not defined"
#endif

namespace {

struct State
{
    /** Set by searchIn; the default folders otherwise. */
    std::optional<QStringList> folders;
    /** Set once a search has been made, found or not. */
    bool searched = false;
    Web::Module *module = nullptr;
};

State &state()
{
    static State value;
    return value;
}

/** The module in `path`, or why not. */
Web::Module *load(const QString &path, QString *why)
{
    // Never unloaded: its objects and their code live until the process ends.
    QLibrary library(path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        *why = library.errorString();
        return nullptr;
    }
    const auto entry = reinterpret_cast<Web::EntryPoint>(library.resolve(Web::kEntryPoint));
    if (!entry) {
        *why = QStringLiteral("%1 has no %2").arg(path, QLatin1String(Web::kEntryPoint));
        return nullptr;
    }
    Web::Module *module = entry(Web::kInterfaceVersion);
    if (!module)
        *why = QStringLiteral("%1 was built for another version of the program").arg(path);
    return module;
}

Web::Module *search(const QStringList &folders)
{
    QStringList reasons;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).absoluteFilePath(NetworkModule::fileName());
        if (!QFileInfo(path).isFile())
            continue;
        QString why;
        if (Web::Module *module = load(path, &why))
            return module;
        reasons.append(why);
    }
    if (reasons.isEmpty())
        reasons.append(QStringLiteral("%1 is in none of %2")
                           .arg(NetworkModule::fileName(),
                                QDir::toNativeSeparators(folders.join(QLatin1String(", ")))));
    qWarning("Vivrel: no network module, nothing is downloaded: %s",
             qPrintable(reasons.join(QLatin1String("; "))));
    return nullptr;
}

} // namespace

namespace NetworkModule {

Web::Module *get()
{
    State &s = state();
    if (!s.searched) {
        s.searched = true;
        s.module = search(s.folders ? *s.folders : defaultFolders());
    }
    return s.module;
}

QString fileName()
{
    return QStringLiteral(VIVREL_NETWORK_MODULE_FILE);
}

QStringList defaultFolders()
{
    const QString own = QCoreApplication::applicationDirPath();
    QStringList folders{own};
    const QString installed =
        QDir::cleanPath(own + QLatin1Char('/') + QStringLiteral(VIVREL_NETWORK_MODULE_DIR));
    if (!installed.isEmpty() && installed != QDir::cleanPath(own))
        folders.append(installed);
    return folders;
}

void searchIn(const QStringList &folders)
{
    State &s = state();
    s.folders = folders;
    s.searched = false;
    s.module = nullptr;
}

} // namespace NetworkModule
