// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lays out the demo pictures and the medium's configuration files.
//
//   vivrel_make_samples --pictures DIR      demo pictures in DIR and folders below it
//   vivrel_make_samples --config-files DIR  Vivrel.INI and AUTORUN.INF as Tools writes them
//   vivrel_make_samples --verify DIR        checks a medium laid out by the two above

#include "GifWriter.h"
#include "common/Files.h"
#include "config/IniFile.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

struct Sample
{
    const char *path;
    int width;
    int height;
    QRgb colour;
    const char *caption;
    /** More than one: an animated GIF whose dot goes once round the circle per pass. */
    int frames = 1;
};

// Distinct sizes and shapes, one portrait, in all three formats and three levels, and
// one animation.
const Sample kSamples[] = {
    {"cover.gif", 320, 200, 0xff2e7d32, "Vivrel"},
    {"beacon.gif", 400, 260, 0xff283593, "Beacon", 12},
    {"sunrise.jpg", 800, 500, 0xffef6c00, "Sunrise"},
    {"Landscapes/hills.bmp", 1024, 400, 0xff558b2f, "Hills"},
    {"Landscapes/lake.jpg", 640, 480, 0xff1565c0, "Lake"},
    {"Landscapes/Coast/harbour.gif", 480, 300, 0xff00838f, "Harbour"},
    {"Portraits/tower.jpg", 400, 700, 0xff6a1b9a, "Tower"},
    {"Portraits/Old/frame.bmp", 300, 360, 0xff8d6e63, "Frame"},
};

// Hundredths of a second each frame of an animated sample stays.
constexpr int kFrameDelay = 8;

QImage drawSample(const Sample &sample, int frame = 0)
{
    QImage image(sample.width, sample.height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(sample.colour));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(sample.width, sample.height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(sample.colour).lighter(160));
    painter.drawEllipse(QPoint(sample.width / 2, sample.height / 2), side / 3, side / 3);
    painter.setBrush(Qt::white);
    painter.drawRect(side / 12, side / 12, side / 6, side / 6);
    if (sample.frames > 1) {
        const double turn = 2 * std::numbers::pi * frame / sample.frames;
        const QPointF at(sample.width / 2 + side / 3 * std::sin(turn),
                         sample.height / 2 - side / 3 * std::cos(turn));
        painter.drawEllipse(at, side / 14, side / 14);
    }
    QFont font;
    font.setPixelSize(qMax(12, side / 8));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect().adjusted(0, 0, 0, -side / 10), Qt::AlignHCenter | Qt::AlignBottom,
                     QString::fromLatin1(sample.caption));
    return image;
}

bool writeSample(const QString &root, const Sample &sample)
{
    const QString path = root + u'/' + QString::fromLatin1(sample.path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const QImage image = drawSample(sample);
    if (sample.frames > 1) {
        GifWriter::Animation animation;
        for (int frame = 0; frame < sample.frames; ++frame)
            animation.frames.append({drawSample(sample, frame), {}, kFrameDelay});
        return Files::replace(path, GifWriter::write(animation)).ok();
    }
    if (path.endsWith(QLatin1String(".gif")))
        return Files::replace(path, GifWriter::write(image)).ok();
    return image.save(path, path.endsWith(QLatin1String(".bmp")) ? "BMP" : "JPG", 90);
}

int fail(const QString &message)
{
    QTextStream(stderr) << "vivrel_make_samples: " << message << '\n';
    return 1;
}

int writePictures(const QString &root)
{
    for (const Sample &sample : kSamples) {
        if (!writeSample(root, sample))
            return fail(QStringLiteral("cannot write %1 in %2")
                            .arg(QString::fromLatin1(sample.path), root));
    }
    return 0;
}

int writeConfigFiles(const QString &root)
{
    Result<> written =
        Files::replace(root + QStringLiteral("/Vivrel.INI"), IniFile::configurationFileContents());
    if (written)
        written = Files::replace(root + QStringLiteral("/AUTORUN.INF"),
                                 IniFile::autorunContents(QStringLiteral("Vivrel")));
    return written ? 0 : fail(errorText(written.error()));
}

int verify(const QString &root)
{
    for (const Sample &sample : kSamples) {
        const QString path = root + u'/' + QString::fromLatin1(sample.path);
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QByteArray format = reader.format();
        const QImage image = reader.read();
        if (image.size() != QSize(sample.width, sample.height))
            return fail(
                QStringLiteral("%1 does not read back: %2").arg(path, reader.errorString()));
        const QByteArray expected = path.section(u'.', -1) == QLatin1String("jpg")
                                        ? QByteArray("jpeg")
                                        : path.section(u'.', -1).toLatin1();
        if (format != expected)
            return fail(QStringLiteral("%1 is not %2").arg(path, QString::fromLatin1(expected)));
        if (sample.frames > 1 && reader.imageCount() != sample.frames)
            return fail(QStringLiteral("%1 does not have %2 frames").arg(path).arg(sample.frames));
        // The pixels came through too: sample a few spots of what was drawn.
        const QImage drawn = drawSample(sample);
        for (const QPoint spot :
             {QPoint(2, 2), drawn.rect().center(), QPoint(sample.width / 5, sample.height / 2)}) {
            const QColor want = drawn.pixelColor(spot);
            const QColor got = image.pixelColor(spot);
            if (qAbs(want.red() - got.red()) + qAbs(want.green() - got.green()) +
                    qAbs(want.blue() - got.blue()) >
                60)
                return fail(QStringLiteral("%1 has the wrong colours").arg(path));
        }
    }
    QFile ini(root + QStringLiteral("/Vivrel.INI"));
    if (!ini.open(QIODevice::ReadOnly) || ini.readAll() != IniFile::configurationFileContents())
        return fail(QStringLiteral("Vivrel.INI is not what Tools writes"));
    if (!QFileInfo(root + QStringLiteral("/Vivrel")).isExecutable())
        return fail(QStringLiteral("the Vivrel executable is missing"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing text needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return fail(
            QStringLiteral("usage: vivrel_make_samples --pictures|--config-files|--verify DIR"));
    const QString &mode = args[1];
    const QString root = QDir(args[2]).absolutePath();
    if (mode == QLatin1String("--pictures"))
        return writePictures(root);
    if (mode == QLatin1String("--config-files"))
        return writeConfigFiles(root);
    if (mode == QLatin1String("--verify"))
        return verify(root);
    return fail(QStringLiteral("unknown mode %1").arg(mode));
}
