// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/JpegDecoder.h"

#include <algorithm>

#ifdef VIVREL_HAVE_LIBJPEG
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>
#endif

namespace JpegDecoder {

int scaleEighths(QSize stored, QSize target)
{
    if (!stored.isValid() || stored.isEmpty() || !target.isValid() || target.isEmpty())
        return 8;
    // libjpeg's output side at M/8 is the side times M/8, rounded up.
    const auto side = [](int whole, int m) { return int((qint64(whole) * m + 7) / 8); };
    // Only 1/8, 2/8 and 4/8 have libjpeg-turbo's vector code besides the whole picture:
    // on a 24-megapixel photo 3/8 decodes about a third slower than 4/8, and 5/8 to 7/8
    // slower than 8/8, for a smooth scale only a millisecond shorter.
    for (const int m : {1, 2, 4}) {
        if (side(stored.width(), m) >= target.width() &&
            side(stored.height(), m) >= target.height())
            return m;
    }
    return 8;
}

#ifdef VIVREL_HAVE_LIBJPEG

namespace {

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// libjpeg's default ends the process; every error comes back to decode() instead.
[[noreturn]] void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

// Warnings (a file cut short, a bad Huffman code) let the decode go on as Qt's reader
// does; nothing is printed.
void quiet(j_common_ptr) {}

struct Progress
{
    jpeg_progress_mgr pub;
    const std::atomic<bool> *cancel;
};

void checkCancel(j_common_ptr info)
{
    const auto *progress = reinterpret_cast<Progress *>(info->progress);
    if (progress->cancel->load(std::memory_order_relaxed))
        leave(info);
}

qint64 bytesOf(QSize size, int bytesPerPixel)
{
    return (qint64(size.width()) * bytesPerPixel + 3) / 4 * 4 * size.height();
}

// Nothing here needs destroying when an error jumps back to the start: the picture is
// the caller's and libjpeg's memory goes with jpeg_destroy_decompress.
bool run(jpeg_decompress_struct &info, ErrorManager &errors, const QByteArray &bytes, QSize target,
         qint64 maxBytes, Decoded &result)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        result.outcome = Outcome::Unsupported;
        return true;
    }
    const bool grey = info.num_components == 1;
    const QSize stored(int(info.image_width), int(info.image_height));
    info.scale_num = unsigned(scaleEighths(stored, target.isEmpty() ? stored : target));
    info.scale_denom = 8;
    info.out_color_space = grey ? JCS_GRAYSCALE
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                                : JCS_EXT_BGRA;
#else
                                : JCS_EXT_ARGB;
#endif
    info.dct_method = JDCT_ISLOW;
    jpeg_calc_output_dimensions(&info);
    const QSize out(int(info.output_width), int(info.output_height));
    if (out.isEmpty() || bytesOf(out, grey ? 1 : 4) > maxBytes ||
        (!target.isEmpty() && bytesOf(target, grey ? 1 : 4) > maxBytes)) {
        result.outcome = Outcome::TooLarge;
        return true;
    }
    // Held by the caller, so that a jump out of the decode leaves nothing behind.
    result.image = QImage(out, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (result.image.isNull()) {
        result.outcome = Outcome::TooLarge;
        return true;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result.image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    result.outcome = Outcome::Decoded;
    return true;
}

} // namespace

bool available()
{
    return true;
}

Decoded decode(const QByteArray &bytes, QSize target, qint64 maxBytes,
               const std::atomic<bool> *cancel)
{
    Decoded result;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = leave;
    errors.pub.output_message = quiet;
    Progress progress{};
    if (cancel) {
        progress.pub.progress_monitor = checkCancel;
        progress.cancel = cancel;
        info.progress = &progress.pub;
    }
    const bool ran = run(info, errors, bytes, target, maxBytes, result);
    jpeg_destroy_decompress(&info);
    if (!ran || (cancel && cancel->load(std::memory_order_relaxed)))
        return Decoded{};
    if (result.outcome == Outcome::Decoded && !target.isEmpty() && result.image.size() != target)
        result.image = result.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return result;
}

#else

bool available()
{
    return false;
}

Decoded decode(const QByteArray &, QSize, qint64, const std::atomic<bool> *)
{
    return Decoded{.outcome = Outcome::Unsupported, .image = QImage()};
}

#endif

} // namespace JpegDecoder
