// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// End to end under a real Wayland compositor: the built program as a native Wayland
// client of a headless sway with one and with two outputs, looked at through the
// compositor's own account of its windows (swaymsg) and screenshots (grim), and driven
// with a virtual keyboard (wtype) and a virtual pointer (wayvnc, spoken to as a VNC
// client would).

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

/** What CTest takes as "skipped" (SKIP_RETURN_CODE in CMake). */
constexpr int kSkipped = 77;
constexpr int kPatience = 10000;
const QString kAppId = QStringLiteral("io.github.tremallo.Vivrel");
const QString kMainTitle = QStringLiteral("Tremallo Vivrel");
const QSize kOutput(800, 600);
const QSize kMainSize(368, 293);
/** A point of the bare body, which drags the window, from the main window's top-left. */
const QPoint kBody(200, 38);
/** The pictures of the show: solid colours that a glance tells apart. */
const QColor kSlides[] = {QColor(230, 20, 20), QColor(20, 200, 40)};
/** The user sway runs as when the test runs as root (sway refuses root). */
const char kUnprivileged[] = "nobody";

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) <= 60;
}

/** Why this machine cannot run the test, or nothing when it can. */
QString whyNot()
{
    for (const char *tool : {"sway", "swaymsg", "grim", "wtype", "wayvnc", "setpriv"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/setup.sh installs it)")
                .arg(QLatin1String(tool));
    }
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/platforms/libqwayland-generic.so");
    if (!QFile::exists(plugin))
        return QStringLiteral("Qt's Wayland platform is not installed (qt6-wayland)");
    if (geteuid() == 0 && !getpwnam(kUnprivileged))
        return QStringLiteral("running as root, and there is no user '%1' to run sway as")
            .arg(QLatin1String(kUnprivileged));
    return QString();
}

/** Started processes go with the test, also when it is killed. */
void endWithTheTest(QProcess &process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

/** One window of the program as the compositor sees it. */
struct View
{
    QString title;
    QString output;
    QRect rect;
    bool focused = false;
    bool fullScreen = false;
    bool inhibitIdle = false;
    bool visible = false;
};

/**
 * A VNC client of wayvnc's, just enough to move its virtual pointer and press its left
 * button: sway follows a dragged window only for motion from a pointer device.
 */
class VirtualPointer
{
public:
    bool connectTo(quint16 port)
    {
        mSocket.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!mSocket.waitForConnected(kPatience))
            return false;
        if (read(12).size() != 12) // the server's version
            return false;
        mSocket.write("RFB 003.008\n");
        const QByteArray count = read(1);
        if (count.size() != 1 || !read(quint8(count[0])).contains(char(1)))
            return false; // wayvnc without a password offers "None"
        mSocket.write(QByteArray(1, char(1)));
        if (read(4) != QByteArray(4, char(0)))
            return false;
        mSocket.write(QByteArray(1, char(1))); // shared
        const QByteArray init = read(24);
        if (init.size() != 24)
            return false;
        read(qFromBigEndian<quint32>(init.constData() + 20)); // the desktop's name
        return true;
    }

    /** The pointer at `at` (on the output wayvnc serves), the left button down or up. */
    void point(QPoint at, bool pressed)
    {
        char event[6] = {5, char(pressed ? 1 : 0)};
        qToBigEndian<quint16>(quint16(at.x()), event + 2);
        qToBigEndian<quint16>(quint16(at.y()), event + 4);
        mSocket.write(event, sizeof event);
        mSocket.waitForBytesWritten(kPatience);
        QTest::qWait(30);
    }

    /** Presses at `from`, moves by `by` in steps as a hand does, and lets go. */
    void drag(QPoint from, QPoint by)
    {
        point(from, false);
        point(from, true);
        constexpr int steps = 10;
        for (int i = 1; i <= steps; ++i)
            point(from + by * i / steps, true);
        point(from + by, false);
    }

private:
    QByteArray read(qint64 size)
    {
        QByteArray data;
        while (data.size() < size &&
               (mSocket.bytesAvailable() > 0 || mSocket.waitForReadyRead(kPatience)))
            data += mSocket.read(size - data.size());
        return data;
    }

    QTcpSocket mSocket;
};

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

    QTemporaryDir mWork;
    QString mRuntime;
    QProcess mSway;
    QProcess mVnc;
    std::unique_ptr<QProcess> mVivrel;
    QString mSocket;
    QString mIpc;
    int mRun = 0;

    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The absolute path: the client's own runtime folder is not the compositor's.
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), mSocket);
        env.insert(QStringLiteral("SWAYSOCK"), mIpc);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mWork.filePath(QStringLiteral("client")));
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    QByteArray run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.setProcessEnvironment(clientEnvironment());
        process.start(program, args);
        if (!process.waitForFinished(kPatience))
            process.kill();
        return process.readAllStandardOutput();
    }

    void sway(const QStringList &command) { run(QStringLiteral("swaymsg"), command); }

    QRect outputRect(const QString &name)
    {
        const QJsonArray outputs =
            QJsonDocument::fromJson(run(QStringLiteral("swaymsg"),
                                        {QStringLiteral("-t"), QStringLiteral("get_outputs")}))
                .array();
        for (const QJsonValue &output : outputs) {
            if (output[u"name"].toString() == name) {
                const QJsonObject r = output[u"rect"].toObject();
                return QRect(r[u"x"].toInt(), r[u"y"].toInt(), r[u"width"].toInt(),
                             r[u"height"].toInt());
            }
        }
        return QRect();
    }

    /** Every window of the program that the compositor holds, with its output. */
    QList<View> views()
    {
        QList<View> found;
        const QJsonObject tree =
            QJsonDocument::fromJson(
                run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")}))
                .object();
        std::function<void(const QJsonObject &, const QString &)> walk =
            [&](const QJsonObject &node, const QString &output) {
                const QString here =
                    node[u"type"].toString() == u"output" ? node[u"name"].toString() : output;
                if (node[u"app_id"].toString() == kAppId) {
                    const QJsonObject r = node[u"rect"].toObject();
                    found.append({node[u"name"].toString(), here,
                                  QRect(r[u"x"].toInt(), r[u"y"].toInt(), r[u"width"].toInt(),
                                        r[u"height"].toInt()),
                                  node[u"focused"].toBool(), node[u"fullscreen_mode"].toInt() != 0,
                                  node[u"inhibit_idle"].toBool(), node[u"visible"].toBool()});
                }
                for (const char *children : {"nodes", "floating_nodes"}) {
                    const QJsonArray list = node[QLatin1String(children)].toArray();
                    for (const QJsonValue &child : list)
                        walk(child.toObject(), here);
                }
            };
        walk(tree, QString());
        return found;
    }

    std::optional<View> mainWindow()
    {
        for (const View &view : views()) {
            if (view.title == kMainTitle)
                return view;
        }
        return std::nullopt;
    }

    std::optional<View> viewer()
    {
        for (const View &view : views()) {
            if (view.fullScreen)
                return view;
        }
        return std::nullopt;
    }

    static QString describe(const QList<View> &views)
    {
        QStringList lines;
        for (const View &v : views)
            lines << QStringLiteral("'%1' on %2 at %3,%4 %5x%6%7%8%9")
                         .arg(v.title, v.output)
                         .arg(v.rect.x())
                         .arg(v.rect.y())
                         .arg(v.rect.width())
                         .arg(v.rect.height())
                         .arg(v.fullScreen ? QStringLiteral(" full screen") : QString(),
                              v.focused ? QStringLiteral(" focused") : QString(),
                              v.inhibitIdle ? QStringLiteral(" inhibiting idle") : QString());
        return lines.isEmpty() ? QStringLiteral("no window of the program")
                               : lines.join(QLatin1String("; "));
    }

    /** A screenshot of one output, in the output's own pixels. */
    QImage look(const QString &output)
    {
        const QString file = mWork.filePath(QStringLiteral("shot.png"));
        QFile::remove(file);
        run(QStringLiteral("grim"), {QStringLiteral("-o"), output, file});
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

    static void keep(const QImage &image, const QString &name)
    {
        const QString path = QStringLiteral(VIVREL_SCREENSHOT_DIR "/") + name;
        QVERIFY2(image.save(path, "PNG"), qPrintable(path));
    }

    void startSway(int outputs)
    {
        stopSway();
        mRuntime = mWork.filePath(QStringLiteral("sway%1").arg(++mRun));
        QVERIFY(QDir().mkpath(mRuntime));
        QFile config(mRuntime + QStringLiteral("/config"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        for (int i = 1; i <= outputs; ++i)
            config.write(QStringLiteral("output HEADLESS-%1 resolution %2x%3 position %4 0\n")
                             .arg(i)
                             .arg(kOutput.width())
                             .arg(kOutput.height())
                             .arg((i - 1) * kOutput.width())
                             .toUtf8());
        config.write("default_border none\nfocus_follows_mouse no\n");
        config.close();

        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"),
                   QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("HOME"), mRuntime);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mRuntime);
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QString::number(outputs));
        mSway.setProcessEnvironment(env);
        mSway.setStandardOutputFile(mRuntime + QStringLiteral("/../sway.log"));
        mSway.setStandardErrorFile(mRuntime + QStringLiteral("/../sway.log"));
        QStringList args{QStringLiteral("sway"), QStringLiteral("-c"),
                         mRuntime + QStringLiteral("/config")};
        if (geteuid() == 0) {
            // sway refuses root: it runs as an unprivileged user, in a folder of its own.
            const passwd *user = getpwnam(kUnprivileged);
            QVERIFY(user);
            QVERIFY(chown(qPrintable(mRuntime), user->pw_uid, user->pw_gid) == 0);
            QVERIFY(QFile::setPermissions(mRuntime, QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ExeOwner | QFile::ReadOther |
                                                        QFile::ExeOther));
            // A change of user clears the death signal: setpriv sets it again.
            args =
                QStringList{QStringLiteral("--reuid=%1").arg(user->pw_uid),
                            QStringLiteral("--regid=%1").arg(user->pw_gid),
                            QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig=KILL")} +
                args;
            mSway.start(QStringLiteral("setpriv"), args);
        } else {
            endWithTheTest(mSway);
            mSway.start(args.takeFirst(), args);
        }
        QVERIFY(mSway.waitForStarted(kPatience));
        QElapsedTimer waited;
        waited.start();
        const QDir runtime(mRuntime);
        while (!waited.hasExpired(kPatience) && mSway.state() == QProcess::Running) {
            const QStringList sockets =
                runtime.entryList({QStringLiteral("wayland-*")}, QDir::System);
            const QStringList ipc =
                runtime.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            for (const QString &socket : sockets) {
                if (!socket.endsWith(QLatin1String(".lock")) && !ipc.isEmpty()) {
                    mSocket = runtime.filePath(socket);
                    mIpc = runtime.filePath(ipc.constFirst());
                }
            }
            if (!mSocket.isEmpty() &&
                outputRect(QStringLiteral("HEADLESS-%1").arg(outputs)).isValid())
                return;
            mSocket.clear();
            QTest::qWait(50);
        }
        QFAIL("sway did not start; see sway.log in the test's folder");
    }

    void stopSway()
    {
        for (QProcess *process : {mVivrel.get(), &mVnc, &mSway}) {
            if (!process || process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished();
        }
        mSocket.clear();
    }

    /** wayvnc on `output`: the seat's virtual keyboard and pointer. */
    void startVnc(const QString &output, quint16 port)
    {
        endWithTheTest(mVnc);
        mVnc.setProcessEnvironment(clientEnvironment());
        mVnc.setStandardOutputFile(QProcess::nullDevice());
        mVnc.setStandardErrorFile(QProcess::nullDevice());
        mVnc.start(QStringLiteral("wayvnc"), {QStringLiteral("-o"), output,
                                              QStringLiteral("127.0.0.1"), QString::number(port)});
        QVERIFY(mVnc.waitForStarted(kPatience));
        QTRY_VERIFY_WITH_TIMEOUT(
            run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_seats")})
                .contains("virtual_pointer"),
            kPatience);
    }

    /** The program with a stored full-screen show, started on `pictures` at launch. */
    void startVivrel(const QString &pictures)
    {
        const QString home = mWork.filePath(QStringLiteral("home%1").arg(mRun));
        QDir().mkpath(home + QStringLiteral("/.config/Tremallo"));
        QFile store(home + QStringLiteral("/.config/Tremallo/Vivrel.conf"));
        QVERIFY(store.open(QIODevice::WriteOnly));
        store.write("[Advert]\nBaseUrl=http://127.0.0.1:9/\n"
                    "[Settings]\nmPath=\" \"\nmInterval=1\nmFullScreen=1\nmRepeat=1\n"
                    "mStretchImage=1\n");
        store.close();
        QProcessEnvironment env = clientEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        // No session bus: here the compositor alone keeps the session awake.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=/nonexistent"));
        mVivrel = std::make_unique<QProcess>();
        endWithTheTest(*mVivrel);
        mVivrel->setProcessEnvironment(env);
        mVivrel->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mVivrel->start(QStringLiteral(VIVREL_EXECUTABLE), {pictures});
        QVERIFY2(mVivrel->waitForStarted(kPatience), qPrintable(mVivrel->errorString()));
    }

    /** A loopback port nothing listens on now, for wayvnc. */
    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    bool vivrelRunning() const { return mVivrel && mVivrel->state() == QProcess::Running; }

private slots:
    void initTestCase()
    {
        QVERIFY(mWork.isValid());
        // sway's own user passes through to its folder; the program's is private.
        QVERIFY(QFile::setPermissions(mWork.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ExeOwner | QFile::ExeOther));
        QVERIFY(QDir().mkpath(mWork.filePath(QStringLiteral("client"))));
        QVERIFY(QFile::setPermissions(mWork.filePath(QStringLiteral("client")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QDir().mkpath(QStringLiteral(VIVREL_SCREENSHOT_DIR));
        const QString pictures = mWork.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(pictures));
        int i = 0;
        for (const QColor &colour : kSlides) {
            QImage slide(640, 480, QImage::Format_RGB32);
            slide.fill(colour);
            QVERIFY(slide.save(pictures + QStringLiteral("/slide%1.jpg").arg(++i), "JPG", 95));
        }
    }

    void cleanupTestCase() { stopSway(); }

    void showOnTheMainWindowsOutput_data()
    {
        QTest::addColumn<int>("outputs");
        QTest::addColumn<QString>("output");
        QTest::newRow("one output") << 1 << QStringLiteral("HEADLESS-1");
        QTest::newRow("two outputs, the main window on the second")
            << 2 << QStringLiteral("HEADLESS-2");
    }

    void showOnTheMainWindowsOutput()
    {
        QFETCH(int, outputs);
        QFETCH(QString, output);
        startSway(outputs);
        const quint16 port = freePort();
        startVnc(output, port);
        // New windows open on the output that has the focus.
        sway({QStringLiteral("focus"), QStringLiteral("output"), output});
        const QRect screen = outputRect(output);
        const QString tag = QStringLiteral("%1output").arg(outputs);

        // The show starts with the program, full screen, on the main window's output.
        startVivrel(mWork.filePath(QStringLiteral("pictures")));
        QTRY_VERIFY2_WITH_TIMEOUT(viewer() && mainWindow(), qPrintable(describe(views())),
                                  kPatience);
        QTRY_VERIFY2_WITH_TIMEOUT(viewer()->rect == screen && viewer()->focused,
                                  qPrintable(describe(views())), kPatience);
        QCOMPARE(viewer()->output, output);
        QCOMPARE(mainWindow()->output, output);
        QVERIFY2(viewer()->inhibitIdle, qPrintable(describe(views())));
        QImage shot;
        const auto slideOnScreen = [&] {
            shot = look(output);
            const QColor middle = shot.pixelColor(shot.width() / 2, shot.height() / 3);
            return near(middle, kSlides[0]) || near(middle, kSlides[1]);
        };
        QTRY_VERIFY_WITH_TIMEOUT(slideOnScreen(), kPatience);
        keep(shot, QStringLiteral("wayland-viewer-%1.png").arg(tag));

        // Escape is the viewer's, wherever the keyboard is: the program goes on.
        run(QStringLiteral("wtype"), {QStringLiteral("-k"), QStringLiteral("Escape")});
        QTRY_VERIFY2_WITH_TIMEOUT(!viewer(), qPrintable(describe(views())), kPatience);
        QTest::qWait(300);
        QVERIFY(vivrelRunning());
        QTRY_VERIFY2_WITH_TIMEOUT(mainWindow() && mainWindow()->visible,
                                  qPrintable(describe(views())), kPatience);
        for (const View &view : views())
            QVERIFY2(!view.inhibitIdle, qPrintable(describe(views())));

        // The rounded outline: the corners show what is behind the window.
        const View main = *mainWindow();
        QCOMPARE(main.rect.size(), kMainSize);
        const QRect onOutput = main.rect.translated(-screen.topLeft());
        shot = look(output);
        const QColor ground = shot.pixelColor(onOutput.left() - 20, onOutput.top() + 40);
        for (const QPoint corner : {onOutput.topLeft(), onOutput.topRight(), onOutput.bottomLeft(),
                                    onOutput.bottomRight()}) {
            const QPoint in(corner.x() + (corner.x() == onOutput.left() ? 1 : -1),
                            corner.y() + (corner.y() == onOutput.top() ? 1 : -1));
            QVERIFY2(shot.pixelColor(in) == ground,
                     qPrintable(QStringLiteral("corner %1,%2 is %3, not the ground %4")
                                    .arg(in.x())
                                    .arg(in.y())
                                    .arg(shot.pixelColor(in).name(), ground.name())));
        }
        QVERIFY(shot.pixelColor(onOutput.center()) != ground);
        keep(shot.copy(onOutput.adjusted(-16, -16, 16, 16)),
             QStringLiteral("wayland-main-window-%1.png").arg(tag));

        // A drag on the body moves the window.
        VirtualPointer pointer;
        QVERIFY(pointer.connectTo(port));
        const QPoint by(-120, 60);
        pointer.drag(onOutput.topLeft() + kBody, by);
        QTRY_VERIFY2_WITH_TIMEOUT(mainWindow() &&
                                      mainWindow()->rect.topLeft() == main.rect.topLeft() + by,
                                  qPrintable(describe(views())), kPatience);

        // Escape with no viewer up ends the program, as ever.
        run(QStringLiteral("wtype"), {QStringLiteral("-k"), QStringLiteral("Escape")});
        QVERIFY(mVivrel->waitForFinished(kPatience));
        QCOMPARE(mVivrel->exitStatus(), QProcess::NormalExit);
        QCOMPARE(mVivrel->exitCode(), 0);
    }
};

int main(int argc, char *argv[])
{
    // Said before anything starts, so that CTest reports a skip, never a pass.
    const QString reason = whyNot();
    if (!reason.isEmpty()) {
        std::fprintf(stdout, "SKIP: %s\n", qPrintable(reason));
        return kSkipped;
    }
    QCoreApplication app(argc, argv);
    TestWayland test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
