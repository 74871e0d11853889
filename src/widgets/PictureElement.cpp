// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/PictureElement.h"

#include "common/FileStamp.h"
#include "common/Fitting.h"
#include "common/FrameReader.h"
#include "common/PictureLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace {

// A frame stays at least this many times as long as it took to decode and scale, so
// that an animation of huge frames at short delays keeps a core a quarter busy at most.
constexpr qint64 kFrameCostShare = 3;

/** Where the process stands with its first picture on screen, and who waits for it. */
struct FirstPicture
{
    bool painted = false;
    bool announced = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> waiting;
};

FirstPicture &firstPicture()
{
    static FirstPicture state;
    return state;
}

/** Called from the paint that drew a picture; announces it once the paint is done. */
void notePicturePainted()
{
    FirstPicture &state = firstPicture();
    if (state.announced)
        return;
    state.announced = true;
    // Queued: the backing store is flushed to the window at the end of this paint, and
    // what waits for the picture runs after that, in the order it asked.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            FirstPicture &first = firstPicture();
            first.painted = true;
            if (qEnvironmentVariableIsSet("VIVREL_REPORT_FIRST_PAINT")) {
                std::fputs("first-paint\n", stderr);
                std::fflush(stderr);
            }
            const auto waiting = std::exchange(first.waiting, {});
            for (const auto &[context, then] : waiting) {
                if (context)
                    then();
            }
        },
        Qt::QueuedConnection);
}

} // namespace

bool PictureElement::firstPicturePainted()
{
    return firstPicture().painted;
}

void PictureElement::afterFirstPicture(QObject *context, std::function<void()> then)
{
    FirstPicture &state = firstPicture();
    if (state.painted) {
        QMetaObject::invokeMethod(context, std::move(then), Qt::QueuedConnection);
        return;
    }
    state.waiting.emplace_back(context, std::move(then));
}

void PictureElement::afterFirstPictureOrWait(QObject *context, std::function<void()> then)
{
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    const auto runOnce = [once] {
        if (const std::function<void()> run = std::exchange(*once, nullptr))
            run();
    };
    afterFirstPicture(context, runOnce);
    QTimer::singleShot(kWaitForFirstPicture, context, runOnce);
}

void PictureElement::forgetFirstPicture()
{
    firstPicture() = {};
}

PictureElement::PictureElement(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

PictureElement::~PictureElement() = default;

void PictureElement::setStretch(bool stretch)
{
    if (mStretch == stretch)
        return;
    mStretch = stretch;
    mScaled = QImage();
    update();
}

void PictureElement::setPicture(Picture picture)
{
    stopAnimation();
    mPicture = std::move(picture);
    mScaled = QImage();
    if (!mStretch && !mPicture.isNull()) {
        mWidth = float(mPicture.natural.width());
        mHeight = float(mPicture.natural.height());
        applyGeometry();
    }
    startAnimation();
    update();
}

void PictureElement::clearPicture()
{
    stopAnimation();
    mPicture = Picture();
    mScaled = QImage();
    update();
}

bool PictureElement::isPlaying() const
{
    return mFrameTimer && mFrameTimer->isActive();
}

void PictureElement::startAnimation()
{
    if (!mPicture.isAnimated())
        return;
    mFrames = std::make_unique<FrameReader>(mPicture.animation);
    mFrameDelay = FrameReader::shownFor(mPicture.animation->firstDelay);
    scheduleFrame();
}

void PictureElement::stopAnimation()
{
    mFrames.reset();
    if (mFrameTimer)
        mFrameTimer->stop();
}

void PictureElement::scheduleFrame()
{
    if (!mFrames || !mOnScreen)
        return;
    if (!mFrameTimer) {
        mFrameTimer = new QTimer(this);
        mFrameTimer->setSingleShot(true);
        connect(mFrameTimer, &QTimer::timeout, this, &PictureElement::showNextFrame);
    }
    mFrameTimer->start(mFrameDelay);
}

void PictureElement::showNextFrame()
{
    if (!mFrames)
        return;
    QElapsedTimer cost;
    cost.start();
    std::optional<FrameReader::Frame> frame = mFrames->next();
    if (!frame) {
        mFrames.reset(); // the frame on show stays
        return;
    }
    // Same size as the first frame: the place and the size stay as they were fitted.
    mPicture.image = std::move(frame->image);
    mScaled = QImage();
    if (mStretch && mOnScreen)
        prepareScaled(deviceSize()); // now, so that its cost counts
    update();
    mFrameDelay = int(std::clamp<qint64>(kFrameCostShare * cost.elapsed(), frame->delay,
                                         std::numeric_limits<int>::max()));
    scheduleFrame();
    emit frameShown(); // last: whoever hears it may give the element another picture
}

void PictureElement::showEvent(QShowEvent *event)
{
    // Also when the window comes back from being minimised.
    mOnScreen = true;
    scheduleFrame();
    QWidget::showEvent(event);
}

void PictureElement::hideEvent(QHideEvent *event)
{
    // Nothing plays unseen; the frame on show waits its whole time again when it is back.
    mOnScreen = false;
    if (mFrameTimer)
        mFrameTimer->stop();
    QWidget::hideEvent(event);
}

void PictureElement::place(float &kept, float value)
{
    kept = value;
    applyGeometry();
}

void PictureElement::applyGeometry()
{
    using Fitting::snapToPixel;
    setGeometry(snapToPixel(mLeft), snapToPixel(mTop), std::max(0, snapToPixel(mWidth)),
                std::max(0, snapToPixel(mHeight)));
}

void PictureElement::resizeEvent(QResizeEvent *event)
{
    mScaled = QImage();
    QWidget::resizeEvent(event);
}

void PictureElement::paintEvent(QPaintEvent *)
{
    if (mPicture.isNull())
        return;
    notePicturePainted();
    QPainter painter(this);
    if (mStretch) {
        const QSize device = deviceSize();
        if (device.isEmpty())
            return;
        ensureDetailFor(device);
        if (!mPicture.isWhole()) {
            // Only a part is to be had: it goes where it belongs in the whole picture,
            // never stretched over all of it.
            const QSizeF scale(qreal(width()) / mPicture.natural.width(),
                               qreal(height()) / mPicture.natural.height());
            const QRect &part = mPicture.part;
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(part.x() * scale.width(), part.y() * scale.height(),
                                     part.width() * scale.width(), part.height() * scale.height()),
                              mPicture.image);
            return;
        }
        prepareScaled(device);
        if (mScaled.isNull()) {
            // Decoded at the size it is drawn: nothing left to scale.
            painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size())), mPicture.image);
            return;
        }
        painter.drawImage(QPointF(0, 0), mScaled);
        return;
    }
    // Natural size: one picture pixel to one logical unit, cut at the element's edges.
    // On a high-density screen that is still a scale, so keep it smooth.
    ensurePartFor(size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect part = mPicture.isWhole() ? QRect(QPoint(0, 0), mPicture.natural) : mPicture.part;
    painter.drawImage(QRectF(part), mPicture.image);
}

QSize PictureElement::deviceSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void PictureElement::prepareScaled(QSize device)
{
    if (mPicture.image.size() == device) {
        mScaled = QImage();
        return;
    }
    // Scale once per size, smoothly, at the screen's pixel density.
    if (mScaled.size() != device) {
        mScaled = mPicture.image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        mScaled.setDevicePixelRatio(devicePixelRatioF());
    }
}

void PictureElement::ensureDetailFor(QSize device)
{
    // A picture decoded for a smaller view, or only in part, is decoded again for this
    // one (the element was stretched or grew without a new picture being assigned).
    const QSize have = mPicture.image.size();
    const QSize natural = mPicture.natural;
    const bool partial = !mPicture.isWhole();
    const bool coarse = (have.width() < device.width() && have.width() < natural.width()) ||
                        (have.height() < device.height() && have.height() < natural.height());
    if ((!partial && !coarse) || !canDecodeAgain())
        return;
    DecodeTarget target;
    target.scaled = device;
    reloadAs(target);
}

void PictureElement::ensurePartFor(QSize shown)
{
    // Decoded in part for a smaller window than the one it is now in (the viewer moved
    // to a larger monitor): decode what it shows now, with the pixel the fitting spares.
    const QRect wanted =
        QRect(QPoint(0, 0), shown + QSize(1, 1)).intersected(QRect(QPoint(0, 0), mPicture.natural));
    if (mPicture.isWhole() || mPicture.part.contains(wanted) || !canDecodeAgain())
        return;
    DecodeTarget target;
    target.clip = wanted;
    reloadAs(target);
}

bool PictureElement::canDecodeAgain() const
{
    return !mPicture.encoded.isEmpty() || !mPicture.source.isEmpty();
}

void PictureElement::reloadAs(const DecodeTarget &target)
{
    // What is on screen is what was loaded: decoded again from the content kept with it,
    // else from its file only while that is the same version. Only slides are shown in
    // an element, so it is decoded again as a slide.
    const auto want = [target](QSize) { return target; };
    Result<Picture> again = Error::FileNotFound;
    if (!mPicture.encoded.isEmpty()) {
        again = PictureLoader::loadBytes(mPicture.encoded, PictureLoader::kShowLimits, want);
    } else if (FileStamp::of(mPicture.source) == mPicture.stamp) {
        again = PictureLoader::load(mPicture.source, PictureLoader::kShowLimits, want);
        if (again && again->stamp != mPicture.stamp)
            again = Error::FileAccess; // changed while it was read
    }
    if (again && again->natural == mPicture.natural) {
        again->source = std::move(mPicture.source);
        again->stamp = mPicture.stamp;
        if (again->encoded.isEmpty())
            again->encoded = std::move(mPicture.encoded); // for the next time more is shown
        mPicture = std::move(*again);
        mScaled = QImage();
    } else {
        // Gone, changed, or no longer decodes: draw what there is, and stop trying.
        mPicture.source.clear();
        mPicture.encoded.clear();
    }
}

void PictureElement::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event->button(), event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}
