// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

#include <atomic>

class QIODevice;

/**
 * What a JPEG's markers say about the work of decoding it, read without decoding: its
 * frame, whether the decoder must keep the coefficients of the whole picture (a file of
 * several scans: progressive, or sequential with the components in separate scans), and
 * how many scans it has. The count is what defends against a file of thousands of tiny
 * scans, each of which the decoder runs over the whole picture.
 */
struct JpegLayout
{
    /** More scans than any camera or encoder writes (a progressive file has about ten). */
    static constexpr int kMaxScans = 100;

    /** The frame's size as stored; invalid when no frame header was met. */
    QSize size;
    bool progressive = false;
    /** The first scan leaves components for later ones: the whole picture is buffered. */
    bool multiScan = false;
    /** Scans met; the walk stops counting once it passes kMaxScans. */
    int scans = 0;
    /** Bytes of coefficients the decoder keeps for the whole decode; 0 when it keeps none. */
    qint64 bufferBytes = 0;

    bool tooManyScans() const { return scans > kMaxScans; }

    /**
     * Walks the markers of the JPEG in `device` from its current position and puts the
     * position back. A file of a single interleaved scan is read up to that scan only;
     * one of several scans to its end or past kMaxScans scans. A broken file is walked as
     * far as it makes sense: the decoder judges the rest. Stops early, as far as it got,
     * once `cancel` is set.
     */
    static JpegLayout walk(QIODevice &device, const std::atomic<bool> *cancel = nullptr);
};
