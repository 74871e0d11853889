// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chrome/ShellLinks.h"

namespace ShellLinks {

namespace {
const QString kHost = QStringLiteral("www.tremallo.example");
}

QString helpPage()
{
    return QStringLiteral("http://") + kHost + QStringLiteral("/freesupport/Vivrel%20Help.htm");
}

QString webSite()
{
    return QStringLiteral("http://") + kHost;
}

QString thanksMail(const QString &version)
{
    return QStringLiteral(
               "mailto:feedback@tremallo.example?subject=Thanks for Tremallo Vivrel!!!") +
           version;
}

} // namespace ShellLinks
