// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The web panel's page handling: the body colours and the page shown in the panel,
// with its resources limited to the page's own two pictures.

#include "advert/AdvertPanel.h"
#include "common/PictureLoader.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <cstdint>
#include <cstdlib>

namespace {

struct Setup
{
    Setup()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_page";
        static char *argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        PictureLoader::setDecoderCeiling(); // as the program's start-up does
        browser = new QTextBrowser;
        AdvertPanel::attach(*browser);
        page = dir.filePath(QStringLiteral("vivrel4.htm"));
    }
    QApplication *app = nullptr;
    QTextBrowser *browser = nullptr;
    QTemporaryDir dir;
    QString page;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Setup setup;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)pageColoursOf(QString::fromUtf8(bytes));
    QFile file(setup.page);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(bytes);
    file.close();
    AdvertPanel::showPage(*setup.browser, setup.page);
    return 0;
}
