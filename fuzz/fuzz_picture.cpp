// The picture loading path (format sniffing, size limits, decoding) on arbitrary bytes,
// read from a file as the show reads it, at natural size and at a shown size.

#include "common/PictureLoader.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

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
        fd = ::memfd_create("picture", 0);
        if (fd < 0)
            std::abort();
        path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    }
    QGuiApplication *app = nullptr;
    int fd = -1;
    QString path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Setup setup;
    if (::ftruncate(setup.fd, 0) != 0 || ::pwrite(setup.fd, data, size, 0) != ssize_t(size))
        std::abort();
    for (const QSize shown : {QSize(), QSize(64, 48)}) {
        const Result<Picture> result =
            PictureLoader::load(setup.path, PictureLoader::kShowLimits, shown);
        if (result && (result->isNull() || result->natural.isEmpty()))
            std::abort(); // success must come with a picture
    }
    return 0;
}
