#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/PictureLoader.h"
#include "config/CommandLine.h"
#include "engine/SlideCache.h"
#include "viewer/frmPreview.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"

namespace {

bool isUsable(DWORD stream)
{
    const HANDLE handle = ::GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

/**
 * A program of the windows subsystem starts with no console, so what the command line
 * answers (help, the version, its errors) would go nowhere, or into a message box. Where
 * it was started from a console, it writes there; where its output goes to a pipe or a
 * file, it writes to that. Only when there is neither does Qt's message box answer.
 */
void answerOnTheConsole()
{
    const bool out = isUsable(STD_OUTPUT_HANDLE);
    const bool err = isUsable(STD_ERROR_HANDLE);
    if ((!out || !err) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!out)
            std::freopen("CONOUT$", "w", stdout);
        if (!err)
            std::freopen("CONOUT$", "w", stderr);
    }
    if (isUsable(STD_OUTPUT_HANDLE) || ::GetConsoleWindow())
        qputenv("QT_COMMAND_LINE_PARSER_NO_GUI_MESSAGE_BOXES", "1");
}

} // namespace
#endif

namespace {

/**
 * Answers what the command line asks for itself: help, the version, or an error. Returns
 * the exit code then, or -1 when the program is to go on. Written here rather than by
 * the parser, which on Windows may put it in a message box and ends the process in the
 * middle of a call, and flushed before the program ends.
 */
int answerCommandLine(const QCommandLineParser &parser, bool parsed)
{
    QString answer;
    int code = 0;
    FILE *stream = stdout;
    if (!parsed) {
        answer =
            QCoreApplication::applicationName() + QStringLiteral(": ") + parser.errorText() + u'\n';
        code = 1;
        stream = stderr;
    } else if (parser.isSet(QStringLiteral("version"))) {
        answer = QCoreApplication::applicationName() + u' ' +
                 QCoreApplication::applicationVersion() + u'\n';
    } else if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        answer = parser.helpText();
    } else {
        return -1;
    }
    std::fputs(answer.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    SlideCache::shareOneMallocArena(); // before any thread exists
#ifdef Q_OS_WIN
    if (argc > 1)
        answerOnTheConsole();
#endif
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
        return answerCommandLine(parser, parser.parse(core.arguments()));
    }

    QApplication app(argc, argv);
    // Names the installed launcher, so that the desktop puts its icon on the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tremallo.Vivrel"));
    // Qt has taken its own options off by now; whatever is left that the parser does
    // not know ends the program here, before any window opens.
    QCommandLineParser parser;
    CommandLine::setUp(parser);
    if (const int code = answerCommandLine(parser, parser.parse(app.arguments())); code >= 0)
        return code;
    const QStringList paths =
        CommandLine::existingPaths(parser.positionalArguments(), [](const QString &path) {
            std::fprintf(stderr, "Vivrel: %s does not exist; skipped.\n", qPrintable(path));
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
