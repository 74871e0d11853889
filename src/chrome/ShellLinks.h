// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** The maker's addresses that the shell opens for the user. */
namespace ShellLinks {

/** The help page, with its space percent-encoded. */
QString helpPage();

/** The maker's web site, given as a web address so no browser takes it for a file. */
QString webSite();

/** The thank-you mail: the feedback address, with the program's version in the subject. */
QString thanksMail(const QString &version);

} // namespace ShellLinks
