// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The floor of any Qt viewer's launch: a full-screen window that paints one decoded
// picture of the given file, fitted with its shape kept, and says so on standard error
// ("first-paint") right after that paint, as Vivrel does with VIVREL_REPORT_FIRST_PAINT.
//   vivrel_launch_floor PICTURE

#include "BenchTools.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class PictureWindow : public QWidget
{
public:
    explicit PictureWindow(QImage picture) : mPicture(std::move(picture)) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (mFitted.size() != mPicture.size().scaled(size(), Qt::KeepAspectRatio))
            mFitted = mPicture.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(
            QPoint((width() - mFitted.width()) / 2, (height() - mFitted.height()) / 2), mFitted);
        if (!mAnnounced) {
            mAnnounced = true;
            QTimer::singleShot(0, [] {
                std::fputs("first-paint\n", stderr);
                // Asked for, its resident memory then: what any Qt viewer holds with one
                // picture on screen.
                if (qEnvironmentVariableIsSet("VIVREL_REPORT_RESIDENT"))
                    std::fprintf(stderr, "resident=%lld\n", BenchTools::residentBytesAsIs());
                std::fflush(stderr);
                QCoreApplication::quit();
            });
        }
    }

private:
    QImage mPicture;
    QImage mFitted;
    bool mAnnounced = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        return 1;
    PictureWindow window(picture);
    window.showFullScreen();
    return app.exec();
}
