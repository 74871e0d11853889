// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QString>

/** The main window's colours, each named once, for its controls, its artwork and its links. */
namespace Colours {

/** Ground of the options, the list and the small title buttons; the sky of the icon. */
inline constexpr QColor kOptionGround(224, 236, 254);
/** Text on the option ground, and the ink of the button faces. */
inline constexpr QColor kOptionText(0, 0, 64);
/** Ground of the Start and Tools buttons, and the slide's file name over the preview. */
inline constexpr QColor kPeach(255, 224, 192);
/** Ground of the resume button, set apart from the other show buttons. */
inline constexpr QColor kResumeGround(255, 255, 255);
/** The link label at rest; the sun of the icon. */
inline constexpr QColor kLink(253, 198, 157);
/** The link label under the mouse. */
inline constexpr QColor kLinkHover(224, 99, 5);

/** `colour` as a style sheet writes it: rgb(r,g,b), or rgba(r,g,b,a) when it is see-through. */
inline QString styleColour(const QColor &colour)
{
    const QString rgb =
        QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    return colour.alpha() == 255 ? QStringLiteral("rgb(%1)").arg(rgb)
                                 : QStringLiteral("rgba(%1,%2)").arg(rgb).arg(colour.alpha());
}

} // namespace Colours
