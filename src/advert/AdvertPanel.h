// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Result.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QTextDocument>

class QTextBrowser;

/** Text and ground colours a page asks for in its body tag; invalid where it asks none. */
struct PageColours
{
    QColor text;
    QColor background;
};

/** The colours of the first `<body text=... bgcolor=...>` tag of `html`. */
PageColours pageColoursOf(const QString &html);

/**
 * The panel's document. It loads no resource of its own accord: no remote address, no
 * data: address, no local file but the page's two pictures from beside the page.
 */
class PanelDocument : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

    /** The page file shown; its folder is where the pictures are looked up. */
    QString pageFile;

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    /** One of the page's two pictures, read from beside the page; refused for anything else. */
    Result<QImage> ownPicture(const QUrl &name) const;
};

/**
 * `html` as the panel can lay it out in good time: the text engine takes exponential
 * time over tables nested deep inside each other, so a page whose tables nest more
 * than a few deep has its table tags turned into plain blocks. Other pages are unchanged.
 */
QString tamedPage(const QString &html);

/** Showing the web panel's page in a text browser. */
namespace AdvertPanel {

/**
 * Gives `browser` a PanelDocument and lets its links open web addresses only, and the
 * font of fittedFont() for its width.
 */
void attach(QTextBrowser &browser);

/**
 * `base`'s family at the largest pixel size, half as large again as `base`'s at most,
 * at which the composed page sets the program's name line ("Tremallo ... V i v r e l")
 * on one line of a panel `textWidth` wide; the page itself stays as it is.
 */
QFont fittedFont(const QFont &base, qreal textWidth);

/** Shows `pageFile` as HTML in its colours; an unreadable page leaves the panel empty. */
void showPage(QTextBrowser &browser, const QString &pageFile);

/** Shows the current page file again, as it is on disk now. */
void reload(QTextBrowser &browser);

/** The page file shown, or empty. */
QString pageFile(const QTextBrowser &browser);

} // namespace AdvertPanel
