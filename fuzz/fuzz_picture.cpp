// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture loading path (format sniffing, size limits, decoding) on arbitrary bytes,
// read from a file as the show reads it, at natural size and at a shown size, and from
// memory as the web panel reads its pictures.

#include "advert/AdvertPage.h"
#include "common/PictureLoader.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <QFile>
#include <QTemporaryDir>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

struct Setup
{
    Setup()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_picture";
        static char *argv[] = {name, nullptr};
        app = new QGuiApplication(argc, argv);
        PictureLoader::setDecoderCeiling(); // as the program's start-up does
#ifdef Q_OS_WIN
        // No memory file there: an ordinary one in a folder of its own.
        if (!folder.isValid())
            std::abort();
        path = folder.filePath(QStringLiteral("picture"));
#else
        fd = ::memfd_create("picture", 0);
        if (fd < 0)
            std::abort();
        path = QStringLiteral("/proc/self/fd/%1").arg(fd);
#endif
    }

    void write(const uint8_t *data, size_t size) const
    {
#ifdef Q_OS_WIN
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
#else
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size))
            std::abort();
#endif
    }

    QGuiApplication *app = nullptr;
#ifdef Q_OS_WIN
    QTemporaryDir folder;
#else
    int fd = -1;
#endif
    QString path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Setup setup;
    setup.write(data, size);
    const auto check = [](const Result<Picture> &result) {
        if (result && (result->isNull() || result->natural.isEmpty()))
            std::abort(); // success must come with a picture
    };
    for (const QSize shown : {QSize(), QSize(64, 48)})
        check(PictureLoader::load(setup.path, PictureLoader::kShowLimits, shown));
    // A slide someone waits for: a large JPEG shared between two threads.
    PictureLoader::Control waitedFor;
    waitedFor.threads = 2;
    check(PictureLoader::load(setup.path, PictureLoader::kShowLimits, QSize(96, 64), waitedFor));
    // The web panel's pictures: the same bytes from memory, within the panel's limits.
    check(PictureLoader::loadBytes(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)),
        AdvertPage::kPictureLimits));
    return 0;
}
