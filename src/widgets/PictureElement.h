// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Picture.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

class FrameReader;
class QTimer;

/**
 * A picture on a window, in one of two modes. Not stretched, it takes the picture's
 * natural size when given one and draws it unscaled, cut at its own edges when it is
 * made smaller. Stretched, it keeps its size and draws the picture scaled to fill it.
 * Its place and size are kept as single-precision logical units, as the fitting
 * arithmetic computes them; the widget itself sits at the nearest whole pixels.
 *
 * An animated picture plays while the element is on screen, each frame for its own
 * time, as often as the file asks, and stops when another picture comes, the picture
 * is cleared or a frame does not decode. Its frames only change what is drawn: the
 * element's place and size stay as the first frame left them.
 */
class PictureElement : public QWidget
{
    Q_OBJECT
public:
    explicit PictureElement(QWidget *parent = nullptr);
    ~PictureElement() override;

    const Picture &picture() const { return mPicture; }
    bool hasPicture() const { return !mPicture.isNull(); }
    /** Assigns a picture; not stretched, the element takes the picture's natural size. */
    void setPicture(Picture picture);
    void clearPicture();
    /** Whether frames of an animated picture are due: it has more to show and is on screen. */
    bool isPlaying() const;
    /** Plays no more frames of the picture it holds; the frame on show stays. */
    void stopAnimation();

    /** Whether any element of the process has painted a picture yet. */
    static bool firstPicturePainted();
    /**
     * Runs `then` once the first picture of the process is on screen (right after the
     * paint that drew it), or at once from the event loop when it is already; dropped
     * when `context` goes first. With VIVREL_REPORT_FIRST_PAINT set in the environment,
     * that moment is also written to standard error as one line, "first-paint".
     */
    static void afterFirstPicture(QObject *context, std::function<void()> then);
    /** The longest what a show that started by itself holds back waits for its picture. */
    static constexpr std::chrono::milliseconds kWaitForFirstPicture{2000};
    /**
     * Runs `then` once: as afterFirstPicture(), or after kWaitForFirstPicture should no
     * picture come before.
     */
    static void afterFirstPictureOrWait(QObject *context, std::function<void()> then);
    /** As at a new start: no picture painted yet, nothing waiting (a start-up run again). */
    static void forgetFirstPicture();

    bool stretch() const { return mStretch; }
    void setStretch(bool stretch);

    float left() const { return mLeft; }
    float top() const { return mTop; }
    float width() const { return mWidth; }
    float height() const { return mHeight; }
    void setLeft(float value) { place(mLeft, value); }
    void setTop(float value) { place(mTop, value); }
    void setWidth(float value) { place(mWidth, value); }
    void setHeight(float value) { place(mHeight, value); }

signals:
    /** A mouse button went down on the element; `globalPos` in screen coordinates. */
    void mousePressed(Qt::MouseButton button, QPoint globalPos);
    /** The next frame of an animated picture is drawn. */
    void frameShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    /** Sets one of the four numbers of its place and size, and moves the widget to match. */
    void place(float &kept, float value);
    void applyGeometry();
    /** Stretched: decodes the picture again when it holds less than `device` pixels show. */
    void ensureDetailFor(QSize device);
    /** The picture's size on screen in device pixels. */
    QSize deviceSize() const;
    /** Makes mScaled the picture at `device` pixels, unless it is decoded at that size. */
    void prepareScaled(QSize device);
    /** Plays the picture's frames from the first, when it has more than one. */
    void startAnimation();
    /** Waits the time of the frame on show, when the element is on screen. */
    void scheduleFrame();
    void showNextFrame();
    /** At natural size: decodes more of the picture when the element shows beyond its part. */
    void ensurePartFor(QSize shown);
    /** Whether more of the picture can be decoded: its content is kept, or its file known. */
    bool canDecodeAgain() const;
    /**
     * Decodes the picture again as `target` says, from the content kept with it or else
     * from its file while that is unchanged; otherwise it stays as it is.
     */
    void reloadAs(const DecodeTarget &target);

    Picture mPicture;
    bool mStretch = false;
    float mLeft = 0;
    float mTop = 0;
    float mWidth = 0;
    float mHeight = 0;
    QImage mScaled; // the picture at the size it is drawn, made once per size and frame
    std::unique_ptr<FrameReader> mFrames; // the frames still to come of an animated picture
    QTimer *mFrameTimer = nullptr;        // made for the first animated picture
    int mFrameDelay = 0;                  // how long the frame on show stays, milliseconds
    bool mOnScreen = false;               // between a show and a hide event
};
