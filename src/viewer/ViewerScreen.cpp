// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "viewer/ViewerScreen.h"

namespace ViewerScreen {

qsizetype holdingMost(const QRect &frame, const QList<QRect> &screens)
{
    qsizetype best = -1;
    qint64 bestArea = 0;
    bool tied = false;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect common = frame.intersected(screens[i]);
        // In 64 bits: a frame across a wall of large monitors passes what an int holds.
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
            tied = false;
        } else if (area == bestArea && area > 0) {
            tied = true;
        }
    }
    return tied ? -1 : best;
}

} // namespace ViewerScreen
