// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/Paths.h"
#include "common/PictureLoader.h"
#include "common/Translations.h"
#include "common/Workers.h"
#include "config/CommandLine.h"
#include "config/StartUp.h"
#include "engine/SlideCache.h"
#include "viewer/frmPreview.h"

#include <QApplication>
#include <QCommandLineParser>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#if defined(Q_OS_LINUX)
#include <dlfcn.h>
#endif

namespace {

/** A message held back while the GUI application is being made. */
struct HeldMessage
{
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QtMessageHandler gPreviousHandler = nullptr;
std::vector<HeldMessage> gHeld;

/**
 * While the GUI application is made, its platform's messages are held back: when no
 * display can be opened Qt ends the process through qFatal(), and the user is told
 * once, in one line, instead of reading the platform's diagnostics and an abort.
 */
void holdWhileStarting(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        gHeld.push_back(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    QString reason;
    for (const HeldMessage &held : gHeld) {
        if (held.category && qstrncmp(held.category, "qt.qpa", 6) == 0) {
            reason = held.text.trimmed();
            break;
        }
    }
    if (reason.isEmpty())
        reason = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        reason += QStringLiteral(" (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    std::fprintf(stderr, "Vivrel: cannot open a display: %s\n", qPrintable(reason));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

/** Makes the GUI application, or ends the process with one line if it cannot. */
std::unique_ptr<QApplication> makeGuiApplication(int &argc, char **argv)
{
    gPreviousHandler = qInstallMessageHandler(holdWhileStarting);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(gPreviousHandler);
    for (const HeldMessage &held : gHeld) {
        const QMessageLogContext context(held.file, held.line, held.function, held.category);
        if (gPreviousHandler)
            gPreviousHandler(held.type, context, held.text);
        else
            std::fprintf(stderr, "%s\n",
                         qPrintable(qFormatLogMessage(held.type, context, held.text)));
    }
    gHeld.clear();
    return app;
}

/**
 * Starts fontconfig on a thread of its own while the platform is being opened: the
 * window thread joins it before its first font, instead of reading fontconfig's
 * configuration and caches itself. Fontconfig makes its configuration once, safely from
 * any thread; where Qt does not use it, no thread is started.
 */
std::thread startFontconfigEarly()
{
#if defined(Q_OS_LINUX)
    void *library = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return {};
    using Init = int (*)();
    if (const auto init = reinterpret_cast<Init>(dlsym(library, "FcInit")))
        return std::thread(init);
#endif
    return {};
}

} // namespace

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

    // Help, the version and every error of the command line are answered before the
    // GUI application exists, so that they work where there is no display at all.
    // A path is bytes: taken as they are, so a name that is not valid UTF-8 is found.
    const auto arguments = [&argc, &argv] {
        QStringList given;
        for (int i = 0; i < argc; ++i)
            given.append(Paths::fromNative(argv[i]));
        return given;
    };
    if (CommandLine::answersWithoutDisplay(arguments())) {
        QCoreApplication core(argc, argv);
        Translations::install();
        QCommandLineParser parser;
        CommandLine::setUpBeforeGui(parser);
        const int code = answerCommandLine(parser, parser.parse(arguments()));
        return code < 0 ? EXIT_FAILURE : code;
    }

    std::thread fontconfig = startFontconfigEarly();
    const std::unique_ptr<QApplication> gui = makeGuiApplication(argc, argv);
    QApplication &app = *gui;
    Translations::install();
    // Names the installed launcher, so that the desktop puts its icon on the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tremallo.Vivrel"));
    // Qt has taken its own options off by now, but for those the platform in use does
    // not read (-display on Wayland): those are passed over, as they were above.
    QCommandLineParser parser;
    CommandLine::setUpBeforeGui(parser);
    if (const int code = answerCommandLine(parser, parser.parse(arguments())); code >= 0) {
        if (fontconfig.joinable())
            fontconfig.join(); // a thread still joinable at its end would abort the program
        return code;
    }
    const QStringList paths =
        CommandLine::existingPaths(parser.positionalArguments(), [](const QString &path) {
            const QString line =
                QCoreApplication::translate("main", "Vivrel: %1 does not exist; skipped.")
                    .arg(Paths::readable(path));
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        });
    PictureLoader::setDecoderCeiling();
    // Named pictures put their first slide up before anything else: its decode starts
    // now, while the windows are made.
    if (const auto first = StartUp::firstNamedSlide(paths, QGuiApplication::primaryScreen()))
        SlideCache::startEarly(first->path, first->view);

    if (fontconfig.joinable())
        fontconfig.join();
    auto owned = std::make_unique<frmVivrel>();
    frmVivrel &window = *owned;
    // Named pictures start a show of their own; the configuration file's start would
    // run another one first.
    window.setIniAutoStart(paths.isEmpty());
    window.Form_Load();
    // Named pictures start their show before the main window is shown, as the
    // configuration file's start does: its first picture comes first.
    if (!paths.isEmpty())
        window.openPaths(paths);
    window.show();
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
