// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>

/**
 * The program speaks the user's language where it has a catalogue for it: its own,
 * compiled into the program, and Qt's for the buttons and dialogs Qt draws, from the
 * folder where Qt keeps them. English is the language of the sources and needs none.
 */
namespace Translations {

/**
 * Installs on the running application the catalogues for `locale` (by default the
 * user's, from LANGUAGE, LC_ALL, LC_MESSAGES or LANG); any installed before are taken
 * off first. True when the program's own catalogue was found.
 */
bool install(const QLocale &locale = QLocale());

/** Takes the installed catalogues off again: the program speaks English. */
void remove();

} // namespace Translations
