// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

/**
 * What the program's own widgets are to an assistive technology, where Qt cannot tell
 * from their class: a window made straight from a widget is a window, a picture element
 * a graphic, and a link label a link that can be pressed.
 */
namespace Accessibility {

/** Teaches Qt the roles above; safe to call more than once. Needs the application object. */
void install();

} // namespace Accessibility
