// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QRect>

/**
 * Which monitor a show's viewer covers. No widgets here: the caller passes the main
 * window's frame and the monitors' rectangles, all in the desktop's logical coordinates.
 */
namespace ViewerScreen {

/**
 * The index of the monitor in `screens` that holds the largest part of `frame`; -1 when
 * the frame is on none of them or two hold equally large parts (the caller then keeps
 * the main window's own monitor).
 */
qsizetype holdingMost(const QRect &frame, const QList<QRect> &screens);

} // namespace ViewerScreen
