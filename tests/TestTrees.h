// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

class QComboBox;

/** Helpers that lay out folder trees and picture files for tests. */
namespace TestTrees {

/** Creates `root`/`relative` (and its folders) with `content`. */
void writeFile(const QString &root, const QString &relative, const QByteArray &content = "x");

/** Writes a small valid picture; the format follows the name's ending (jpg, bmp, gif, png). */
void writePicture(const QString &path, int width, int height, const char *format,
                  unsigned rgb = 0xff3366);

/** A JPEG of `size` in four quarters of `colours`: top left, top right, bottom left, right. */
QByteArray quarteredJpeg(QSize size, const QRgb (&colours)[4]);

/** Whether two colours are the same, give or take what JPEG changes. */
bool nearColour(QRgb a, QRgb b);

/**
 * An animated GIF of `size` with a frame of each of `colours`, each staying `delay`
 * hundredths of a second; `loops` is its loop block's count (0 forever, -1 no block).
 */
QByteArray animatedGif(QSize size, const QList<QRgb> &colours, int delay = 2, int loops = 0);

/** The whole content of `path`, or "<missing>" when it cannot be read. */
QByteArray readAll(const QString &path);

/** Writes `content` to `path`, replacing it; fails the running test when it cannot. */
void writeAll(const QString &path, const QByteArray &content);

/** Fills the file-type selector as start-up does, all three types selected. */
void fillFileTypes(QComboBox *selector);

/** Creates every file named in `relatives` below `root` with dummy content. */
void touch(const QString &root, const QStringList &relatives);

} // namespace TestTrees
