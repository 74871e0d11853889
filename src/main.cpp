#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/Paths.h"
#include "common/PictureLoader.h"
#include "config/CommandLine.h"
#include "engine/SlideCache.h"
#include "viewer/frmPreview.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char *argv[])
{
    SlideCache::shareOneMallocArena(); // before any thread exists
    QApplication::setOrganizationName(QStringLiteral("Tremallo"));
    QApplication::setApplicationName(QStringLiteral("Vivrel"));
    QApplication::setApplicationVersion(Module1::versionString());

    // Help and the version are answered before the GUI application exists, so that
    // they work where there is no display at all.
    // A path is bytes: taken as they are, so a name that is not valid UTF-8 is found.
    const auto arguments = [&argc, &argv] {
        QStringList given;
        for (int i = 0; i < argc; ++i)
            given.append(Paths::fromNative(argv[i]));
        return given;
    };
    if (CommandLine::answersWithoutDisplay(arguments())) {
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
    parser.process(arguments()); // what Qt left of them
    const QStringList paths =
        CommandLine::existingPaths(parser.positionalArguments(), [](const QString &path) {
            std::fprintf(stderr, "Vivrel: %s does not exist; skipped.\n",
                         Paths::readable(path).toLocal8Bit().constData());
        });
    PictureLoader::setDecoderCeiling();

    frmVivrel window;
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
    return app.exec();
}
