#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/PictureLoader.h"
#include "common/Workers.h"
#include "config/CommandLine.h"
#include "engine/SlideCache.h"
#include "viewer/frmPreview.h"

#include <QApplication>
#include <QCommandLineParser>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char *argv[])
{
    SlideCache::shareOneMallocArena(); // before any thread exists
    QApplication::setOrganizationName(QStringLiteral("Tremallo"));
    QApplication::setApplicationName(QStringLiteral("Vivrel"));
    QApplication::setApplicationVersion(Module1::versionString());

    // Help and the version are answered before the GUI application exists, so that
    // they work where there is no display at all.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    if (CommandLine::answersWithoutDisplay(given)) {
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        CommandLine::setUp(parser);
        parser.process(core); // prints the answer and ends the process
    }

    QApplication app(argc, argv);
    // Names the installed launcher, so that the desktop puts its icon on the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tremallo.Vivrel"));
    // Qt has taken its own options off by now; whatever is left that the parser does
    // not know ends the program here, before any window opens.
    QCommandLineParser parser;
    CommandLine::setUp(parser);
    parser.process(app);
    const QStringList paths =
        CommandLine::existingPaths(parser.positionalArguments(), [](const QString &path) {
            std::fprintf(stderr, "Vivrel: %s does not exist; skipped.\n", qPrintable(path));
        });
    PictureLoader::setDecoderCeiling();

    auto owned = std::make_unique<frmVivrel>();
    frmVivrel &window = *owned;
    // Named pictures start a show of their own; the configuration file's start would
    // run another one first.
    window.setIniAutoStart(paths.isEmpty());
    window.Form_Load();
    window.show();
    if (!paths.isEmpty())
        window.openPaths(paths);
    // A show that started by itself has put the viewer up already; the main window,
    // shown after it, must not cover it.
    if (window.hasViewer() && window.viewer().isVisible()) {
        window.viewer().raise();
        window.viewer().activateWindow();
    }
    const int code = app.exec();
    // The settings are saved by now. Workers with nothing to do leave as the window goes;
    // one that hangs in a read of a disk that stopped answering, or is still stopping a
    // decode, is not waited for: the process ends around it.
    owned.reset();
    using namespace std::chrono_literals;
    const auto giveUp = std::chrono::steady_clock::now() + 100ms;
    while (Workers::running() > 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(2ms);
    if (Workers::running() > 0) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
