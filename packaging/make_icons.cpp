// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the program's desktop icon for installation, from the same artwork as the
// window icon: a PNG in each size asked for and a scalable SVG, laid out as an icon
// theme folder.
//
//   vivrel_make_icons THEME_DIR NAME SIZE...
//   THEME_DIR/<SIZE>x<SIZE>/apps/NAME.png and THEME_DIR/scalable/apps/NAME.svg

#include "chrome/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "vivrel_make_icons: %s\n", qPrintable(message));
    return 1;
}

bool writeSvg(const QString &path, const QString &name)
{
    // A large drawing side keeps the numbers in the file whole; the view box scales it.
    constexpr int side = 256;
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(side, side));
    svg.setViewBox(QRect(0, 0, side, side));
    svg.setTitle(name);
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    Artwork::paintIcon(painter, side);
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return fail(QStringLiteral("usage: vivrel_make_icons THEME_DIR NAME SIZE..."));
    const QDir theme(args[1]);
    const QString &name = args[2];

    for (const QString &arg : args.mid(3)) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size <= 0)
            return fail(QStringLiteral("not a size: %1").arg(arg));
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = theme.filePath(folder + u'/' + name + QStringLiteral(".png"));
        if (!theme.mkpath(folder) || !Artwork::icon(size).save(file, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(file));
    }
    const QString file =
        theme.filePath(QStringLiteral("scalable/apps/") + name + QStringLiteral(".svg"));
    if (!theme.mkpath(QStringLiteral("scalable/apps")) || !writeSvg(file, name))
        return fail(QStringLiteral("cannot write %1").arg(file));
    return 0;
}
