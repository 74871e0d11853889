// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/JpegDecoder.h"

#include <algorithm>

#ifdef VIVREL_HAVE_LIBJPEG
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

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

// libjpeg's default ends the process; every error comes back to the caller instead.
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

bool isCancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

void checkCancel(j_common_ptr info)
{
    if (isCancelled(reinterpret_cast<Progress *>(info->progress)->cancel))
        leave(info);
}

qint64 bytesOf(QSize size, int bytesPerPixel)
{
    return (qint64(size.width()) * bytesPerPixel + 3) / 4 * 4 * size.height();
}

/**
 * A picture of its own mapping, in huge pages where the system gives them: the tens of
 * megabytes libjpeg decodes into are not faulted in four kilobytes at a time, and
 * neither they nor the scaled picture, once let go, stay with the allocator.
 */
QImage mappedImage(QSize size, QImage::Format format)
{
#if defined(Q_OS_LINUX)
    const qsizetype bytesPerLine =
        (qsizetype(size.width()) * (format == QImage::Format_RGB32 ? 4 : 1) + 3) / 4 * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    if (bytes >= (size_t(2) << 20)) {
        void *memory =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            return QImage();
        madvise(memory, bytes, MADV_HUGEPAGE);
        struct Mapping
        {
            void *memory;
            size_t bytes;
        };
        auto *mapping = new Mapping{memory, bytes};
        return QImage(
            static_cast<uchar *>(memory), size.width(), size.height(), bytesPerLine, format,
            [](void *info) {
                auto *m = static_cast<Mapping *>(info);
                munmap(m->memory, m->bytes);
                delete m;
            },
            mapping);
    }
#endif
    return QImage(size, format);
}

/** Where the rows of a picture are written, by two threads at once. */
struct Rows
{
    uchar *bits;
    qsizetype bytesPerLine;
    uchar *row(int y) const { return bits + y * bytesPerLine; }
};

/** How a file is decoded, as its header and the size asked for decide. */
struct Layout
{
    Outcome outcome = Outcome::Failed;
    bool grey = false;
    QSize out;
    /** Output rows of one row of MCUs: where a decode may start without waste. */
    int rowsPerBand = 0;
    bool progressive = false;
};

/** One libjpeg decompressor over `bytes`; errors come back as a false from its steps. */
class Decompressor
{
public:
    Decompressor(const QByteArray &bytes, const std::atomic<bool> *cancel) : mBytes(bytes)
    {
        mInfo.err = jpeg_std_error(&mErrors.pub);
        mErrors.pub.error_exit = leave;
        mErrors.pub.output_message = quiet;
        mProgress.pub.progress_monitor = checkCancel;
        mProgress.cancel = cancel;
    }
    // Frees whatever was made, also when making it failed (nothing then).
    ~Decompressor() { jpeg_destroy_decompress(&mInfo); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    /** Reads the header and sets the decode up for `target` (empty: the whole picture). */
    bool setUp(QSize target, Layout &layout)
    {
        if (setjmp(mErrors.jump))
            return false;
        jpeg_create_decompress(&mInfo);
        // Set after the making, which clears it: a cancel stops the decode at the next row.
        if (mProgress.cancel)
            mInfo.progress = &mProgress.pub;
        jpeg_mem_src(&mInfo, reinterpret_cast<const unsigned char *>(mBytes.constData()),
                     static_cast<unsigned long>(mBytes.size()));
        jpeg_read_header(&mInfo, TRUE);
        if (mInfo.jpeg_color_space == JCS_CMYK || mInfo.jpeg_color_space == JCS_YCCK) {
            layout.outcome = Outcome::Unsupported;
            return true;
        }
        layout.grey = mInfo.num_components == 1;
        const QSize stored(int(mInfo.image_width), int(mInfo.image_height));
        mInfo.scale_num = unsigned(scaleEighths(stored, target.isEmpty() ? stored : target));
        mInfo.scale_denom = 8;
        mInfo.out_color_space = layout.grey ? JCS_GRAYSCALE
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                                            : JCS_EXT_BGRA;
#else
                                            : JCS_EXT_ARGB;
#endif
        mInfo.dct_method = JDCT_ISLOW;
        jpeg_calc_output_dimensions(&mInfo);
        layout.out = QSize(int(mInfo.output_width), int(mInfo.output_height));
        layout.rowsPerBand = mInfo.max_v_samp_factor * mInfo.min_DCT_scaled_size;
        layout.progressive = jpeg_has_multiple_scans(&mInfo);
        layout.outcome = Outcome::Decoded;
        return true;
    }

    /**
     * Decodes rows [from, to) of the output into `rows`. The rows above `from` are only
     * read, not decoded: a file without restart markers can only be entered from its
     * start.
     */
    bool decodeRows(const Rows &rows, int from, int to, const std::atomic<bool> *cancel)
    {
        if (setjmp(mErrors.jump))
            return false;
        jpeg_start_decompress(&mInfo);
        // Skipped a band at a time, so that a cancel is seen as soon as in a decode.
        while (int(mInfo.output_scanline) < from) {
            if (isCancelled(cancel))
                return false;
            const int band = std::min(from - int(mInfo.output_scanline), 64);
            if (jpeg_skip_scanlines(&mInfo, JDIMENSION(band)) == 0)
                return false;
        }
        while (int(mInfo.output_scanline) < to) {
            JSAMPROW row = rows.row(int(mInfo.output_scanline));
            jpeg_read_scanlines(&mInfo, &row, 1);
        }
        if (to == int(mInfo.output_height))
            jpeg_finish_decompress(&mInfo);
        else
            jpeg_abort_decompress(&mInfo);
        return true;
    }

private:
    const QByteArray &mBytes;
    jpeg_decompress_struct mInfo{};
    ErrorManager mErrors{};
    Progress mProgress{};
};

/**
 * Rows [from, to) of `decoded`, of `height` rows in all, smoothly scaled into the rows of
 * `out` they make (none may be left for a short band); false when there is no memory for
 * them. Each thread of a split decode scales its own rows; where a band's scale differs
 * from the whole picture's by the rounding of its height, it is by less than a row.
 */
bool scaleRows(const QImage &decoded, int from, int to, int height, const Rows &out, QSize target)
{
    const auto targetRow = [&](int row) {
        return int((qint64(row) * target.height() + height / 2) / height);
    };
    const int first = targetRow(from);
    const int rows = targetRow(to) - first;
    if (rows <= 0)
        return true;
    const QImage source(decoded.constScanLine(from), decoded.width(), to - from,
                        decoded.bytesPerLine(), decoded.format());
    const QImage band =
        source.scaled(target.width(), rows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (band.isNull())
        return false;
    for (int row = 0; row < rows; ++row)
        std::memcpy(out.row(first + row), band.constScanLine(row), size_t(band.bytesPerLine()));
    return true;
}

/**
 * Where a decode over two threads splits the output: the thread of the lower rows first
 * reads through the upper ones without decoding them, which costs it about two thirds of
 * decoding them, so it takes the smaller share. Each then scales its own rows (about a
 * tenth of decoding them): with 70% of the rows above the split, both end together.
 */
int splitRow(const Layout &layout)
{
    const int band = std::max(layout.rowsPerBand, 1);
    const int bands = (layout.out.height() + band - 1) / band;
    return std::clamp(bands * 7 / 10, 1, bands - 1) * band;
}

} // namespace

bool available()
{
    return true;
}

Decoded decode(const QByteArray &bytes, QSize target, qint64 maxBytes,
               const std::atomic<bool> *cancel, int threads)
{
    Decoded result;
    Decompressor first(bytes, cancel);
    Layout layout;
    if (!first.setUp(target, layout))
        return Decoded{};
    if (layout.outcome != Outcome::Decoded) {
        result.outcome = layout.outcome;
        return result;
    }
    const int bytesPerPixel = layout.grey ? 1 : 4;
    if (layout.out.isEmpty() || bytesOf(layout.out, bytesPerPixel) > maxBytes ||
        (!target.isEmpty() && bytesOf(target, bytesPerPixel) > maxBytes)) {
        result.outcome = Outcome::TooLarge;
        return result;
    }
    const QImage::Format format = layout.grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32;
    const bool scaling = !target.isEmpty() && target != layout.out;
    QImage decoded = scaling ? mappedImage(layout.out, format) : QImage(layout.out, format);
    // The scaled picture is made at once, so that each thread puts its own rows into it.
    QImage out = scaling ? mappedImage(target, format) : QImage();
    if (decoded.isNull() || (scaling && out.isNull())) {
        result.outcome = Outcome::TooLarge;
        return result;
    }
    // Taken once, from pictures no other QImage shares: the threads write through these,
    // each its own rows, never through a QImage.
    const Rows rows{decoded.bits(), decoded.bytesPerLine()};
    const Rows outRows{scaling ? out.bits() : nullptr, out.bytesPerLine()};
    const int height = layout.out.height();
    // Decodes rows [from, to), then scales them into the scaled picture.
    const auto part = [&](Decompressor &decompressor, int from, int to) {
        if (!decompressor.decodeRows(rows, from, to, cancel) || isCancelled(cancel))
            return false;
        return !scaling || scaleRows(decoded, from, to, height, outRows, target);
    };
    // A progressive file keeps every coefficient while it decodes: a second decompressor
    // would keep them twice.
    const bool split = threads > 1 && !layout.progressive &&
                       height >= 4 * std::max(layout.rowsPerBand, 1) && height >= 64;
    std::thread second;
    int cut = height;
    bool lowerDone = true;
    if (split) {
        try {
            cut = splitRow(layout);
            lowerDone = false;
            second = std::thread([&] {
                Decompressor decompressor(bytes, cancel);
                Layout same;
                lowerDone = decompressor.setUp(target, same) && same.out == layout.out &&
                            part(decompressor, cut, height);
            });
        } catch (const std::system_error &) {
            // No thread to be had (a process full of abandoned ones): one does it all.
            cut = height;
            lowerDone = true;
        }
    }
    bool done = part(first, 0, cut);
    if (second.joinable())
        second.join();
    done = done && lowerDone;
    if (!done || isCancelled(cancel))
        return Decoded{};
    result.outcome = Outcome::Decoded;
    result.image = scaling ? std::move(out) : std::move(decoded);
    return result;
}

#else

bool available()
{
    return false;
}

Decoded decode(const QByteArray &, QSize, qint64, const std::atomic<bool> *, int)
{
    return Decoded{.outcome = Outcome::Unsupported, .image = QImage()};
}

#endif

} // namespace JpegDecoder
