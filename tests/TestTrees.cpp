// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestTrees.h"

#include "GifWriter.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <cstdlib>

namespace TestTrees {

void writeFile(const QString &root, const QString &relative, const QByteArray &content)
{
    const QString path = root + u'/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void writePicture(const QString &path, int width, int height, const char *format, unsigned rgb)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    // Qt writes no GIF.
    if (qstricmp(format, "gif") == 0)
        writeAll(path, GifWriter::write(image));
    else
        image.save(path, format);
}

QByteArray quarteredJpeg(QSize size, const QRgb (&colours)[4])
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    for (int i = 0; i < 4; ++i)
        painter.fillRect(i % 2 * w, i / 2 * h, w, h, QColor(colours[i]));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

bool nearColour(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 48 && std::abs(qGreen(a) - qGreen(b)) < 48 &&
           std::abs(qBlue(a) - qBlue(b)) < 48;
}

QByteArray animatedGif(QSize size, const QList<QRgb> &colours, int delay, int loops)
{
    GifWriter::Animation animation{.screen = QSize(), .loops = loops, .frames = {}};
    for (QRgb colour : colours) {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(colour);
        animation.frames.append({frame, {}, delay});
    }
    return GifWriter::write(animation);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY(file.write(content) == content.size());
}

void fillFileTypes(QComboBox *selector)
{
    selector->clear();
    selector->addItems({QStringLiteral("*.jpg;*.bmp;*.gif"), QStringLiteral("*.jpg"),
                        QStringLiteral("*.bmp"), QStringLiteral("*.gif")});
    selector->setCurrentIndex(0);
}

void touch(const QString &root, const QStringList &relatives)
{
    for (const QString &relative : relatives)
        writeFile(root, relative);
}

} // namespace TestTrees
