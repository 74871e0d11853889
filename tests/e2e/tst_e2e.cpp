// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// End to end: the built program on an X server of its own, looked at through screenshots
// and driven with real key presses and clicks, the way a person sees and uses it.

#include "config/IniFile.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>
#include <memory>

#include <signal.h>
#include <sys/prctl.h>

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
/**
 * The longest anything may take to show up, in milliseconds. Everything shows within a
 * second or two; a failing wait goes on for three times this before it reports.
 */
constexpr int kPatience = 10000;

// The root window is white (-wr), the viewer's ground black: a glance tells them apart.
const QColor kRoot(255, 255, 255);
const QColor kViewerGround(0, 0, 0);
const QColor kPanelGround(0xFC, 0xD5, 0xB1);
const QColor kPanelText(0xFF, 0x00, 0x00);

struct Picture
{
    const char *path;
    QSize size;
    QColor colour;
    const char *name;
    /** Where retain-shape fitting puts it on a 1280 x 1024 screen. */
    QRect placed;
};

// Listed in this order: the folder's own files first, then each level below it.
// Landscape goes full width, portrait full height, both centred.
const Picture kPictures[] = {
    {"landscape.jpg", {400, 300}, QColor(230, 20, 20), "red", QRect(0, 32, 1280, 960)},
    {"Portraits/portrait.jpg", {300, 400}, QColor(20, 40, 230), "blue", QRect(256, 0, 768, 1024)},
    // 1280 x 426.7 at top 298.7: its edges fall between pixels.
    {"Portraits/Wide/wide.bmp", {600, 200}, QColor(20, 200, 40), "green", QRect(0, 299, 1280, 426)},
};
constexpr int kPictureCount = int(std::size(kPictures));

// The main window, 368 x 293 pixels, and places on it relative to its top-left corner.
const QSize kMainSize(368, 293);
const QRect kPanel(24, 64, 161, 121);
const QRect kList(192, 64, 153, 121);
const QPoint kRepeatBox(40, 211);
const QPoint kIntervalBox(76, 263);
const QPoint kCloseButton(336 + 7, 11 + 7);

int distance(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

bool near(const QColor &a, const QColor &b)
{
    return distance(a, b) <= 60;
}

/** What a person would call the colour: a picture's, the viewer's, the root's, the panel's. */
QString shade(const QColor &colour)
{
    for (const Picture &picture : kPictures) {
        if (near(colour, picture.colour))
            return QLatin1String(picture.name);
    }
    if (near(colour, kViewerGround))
        return QStringLiteral("black");
    if (near(colour, kRoot))
        return QStringLiteral("white");
    if (near(colour, kPanelGround))
        return QStringLiteral("peach");
    return colour.name();
}

/** Points just inside each edge of `rect` and its middle, and just outside each edge. */
void edgePoints(const QRect &rect, QList<QPoint> *inside, QList<QPoint> *outside)
{
    constexpr int margin = 6;
    const QPoint c = rect.center();
    *inside = {c,
               {rect.left() + margin, c.y()},
               {rect.right() - margin, c.y()},
               {c.x(), rect.top() + margin},
               {c.x(), rect.bottom() - margin}};
    *outside = {{rect.left() - margin, c.y()},
                {rect.right() + margin, c.y()},
                {c.x(), rect.top() - margin},
                {c.x(), rect.bottom() + margin}};
}

/** Why `shot` does not show `picture` fitted on the viewer's ground; empty when it does. */
QStringList misplaced(const QImage &shot, const Picture &picture)
{
    QList<QPoint> inside, outside;
    edgePoints(picture.placed, &inside, &outside);
    QStringList faults;
    const auto expect = [&](QPoint at, const QString &want) {
        if (!shot.rect().contains(at))
            return;
        const QString got = shade(shot.pixelColor(at));
        if (got != want)
            faults
                << QStringLiteral("(%1,%2) is %3, not %4").arg(at.x()).arg(at.y()).arg(got, want);
    };
    for (QPoint at : inside)
        expect(at, QLatin1String(picture.name));
    for (QPoint at : outside)
        expect(at, QStringLiteral("black"));
    return faults;
}

/** The picture the viewer shows, correctly fitted, or -1. */
int shownPicture(const QImage &shot)
{
    for (int i = 0; i < kPictureCount; ++i) {
        if (misplaced(shot, kPictures[i]).isEmpty())
            return i;
    }
    return -1;
}

QString screenDescription(const QImage &shot)
{
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    const QString centre = shade(shot.pixelColor(kScreenWidth / 2, kScreenHeight / 2));
    QStringList faults;
    for (const Picture &picture : kPictures) {
        if (QLatin1String(picture.name) == centre)
            faults = misplaced(shot, picture);
    }
    return QStringLiteral("the screen's middle is %1; %2")
        .arg(centre, faults.join(QLatin1String("; ")));
}

/** The X server and the program go with the test, also when it is killed. */
void endWithTheTest(QProcess &process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

bool writePicture(const QString &root, const Picture &picture)
{
    const QString path = root + u'/' + QLatin1String(picture.path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(picture.size, QImage::Format_RGB32);
    image.fill(picture.colour);
    {
        // Its name and size in the upper left, clear of every point the checks look at.
        QPainter painter(&image);
        QFont font;
        font.setPixelSize(qMax(10, picture.size.height() / 16));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        const QSize size = picture.size;
        painter.drawText(
            QRect(size.width() / 12, size.height() / 12, size.width() / 3, size.height() / 4),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
            QStringLiteral("%1\n%2 x %3")
                .arg(QFileInfo(QLatin1String(picture.path)).completeBaseName())
                .arg(size.width())
                .arg(size.height()));
    }
    return image.save(path, path.endsWith(QLatin1String(".bmp")) ? "BMP" : "JPG", 95);
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QProcess mXvfb;
    QString mDisplay;
    QTemporaryDir mWork;
    std::unique_ptr<QProcess> mVivrel;
    QImage mShot;
    int mRun = 0;

    QProcessEnvironment displayEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), mDisplay);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The program speaks English, whatever the language of the one who runs the test.
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        return env;
    }

    /** Runs a helper program against the test's display; its standard output. */
    QString run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.setProcessEnvironment(displayEnvironment());
        process.start(program, args);
        if (!process.waitForFinished(kPatience))
            process.kill();
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    void xdotool(const QStringList &args) { run(QStringLiteral("xdotool"), args); }

    /** A fresh screenshot of the whole screen. */
    QImage look()
    {
        const QString file = mWork.filePath(QStringLiteral("screen.png"));
        QFile::remove(file);
        run(QStringLiteral("import"), {QStringLiteral("-display"), mDisplay,
                                       QStringLiteral("-window"), QStringLiteral("root"), file});
        mShot = QImage(file).convertToFormat(QImage::Format_RGB32);
        return mShot;
    }

    /** The visible window whose title matches `title` (a regular expression), or nothing. */
    QRect windowRect(const QString &title, QString *id = nullptr)
    {
        const QString found = run(QStringLiteral("xdotool"),
                                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                   QStringLiteral("--name"), title})
                                  .section(u'\n', 0, 0)
                                  .trimmed();
        if (found.isEmpty())
            return QRect();
        if (id)
            *id = found;
        QMap<QString, int> values;
        const QStringList lines =
            run(QStringLiteral("xdotool"),
                {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), found})
                .split(u'\n');
        for (const QString &line : lines)
            values.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                     values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
    }

    QRect mainWindowRect(QString *id = nullptr)
    {
        return windowRect(QStringLiteral("^Tremallo Vivrel$"), id);
    }

    /** A folder of its own for this run: the user's home with its store, and a medium. */
    QString freshFolder()
    {
        const QString folder = mWork.filePath(QStringLiteral("run%1").arg(++mRun));
        QDir().mkpath(folder + QStringLiteral("/home/.config/Tremallo"));
        return folder;
    }

    static QString storePath(const QString &folder)
    {
        return folder + QStringLiteral("/home/.config/Tremallo/Vivrel.conf");
    }

    /** The program in `folder`/medium with its pictures, and `ini` beside it unless empty. */
    static bool layOutMedium(const QString &folder, const QByteArray &ini)
    {
        const QString medium = folder + QStringLiteral("/medium");
        QDir().mkpath(medium);
        if (!QFile::copy(QStringLiteral(VIVREL_EXECUTABLE), medium + QStringLiteral("/Vivrel")))
            return false;
        for (const Picture &picture : kPictures) {
            if (!writePicture(medium, picture))
                return false;
        }
        if (ini.isEmpty())
            return true;
        QFile file(medium + QStringLiteral("/Vivrel.INI"));
        return file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
    }

    /** Settings the user had before the run; the advert fetch is pointed at a closed port. */
    static void writeStore(const QString &folder, const QMap<QString, QString> &settings)
    {
        QSettings store(storePath(folder), QSettings::IniFormat);
        store.setValue(QStringLiteral("Advert/BaseUrl"), QStringLiteral("http://127.0.0.1:9/"));
        for (auto it = settings.cbegin(); it != settings.cend(); ++it)
            store.setValue(QStringLiteral("Settings/") + it.key(), it.value());
    }

    static QMap<QString, QString> storedSettings(const QString &folder)
    {
        QSettings store(storePath(folder), QSettings::IniFormat);
        store.beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const QString &key : store.childKeys())
            values.insert(key, store.value(key).toString());
        return values;
    }

    void startVivrel(const QString &folder)
    {
        QProcessEnvironment env = displayEnvironment();
        const QString home = folder + QStringLiteral("/home");
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mWork.path());
        mVivrel = std::make_unique<QProcess>();
        endWithTheTest(*mVivrel);
        mVivrel->setProcessEnvironment(env);
        mVivrel->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Not the medium: the program finds its configuration file by its own place.
        mVivrel->setWorkingDirectory(folder);
        mVivrel->start(folder + QStringLiteral("/medium/Vivrel"), {});
        QVERIFY2(mVivrel->waitForStarted(kPatience), qPrintable(mVivrel->errorString()));
    }

    bool vivrelRunning() const { return mVivrel && mVivrel->state() != QProcess::NotRunning; }

    /** Waits until the main window is on screen, gives it the keyboard and says where it is. */
    void focusMainWindow(QRect *place)
    {
        QString id;
        QTRY_VERIFY_WITH_TIMEOUT(!(*place = mainWindowRect(&id)).isNull(), kPatience);
        // No window manager hands out the focus here: do what a click on it would.
        xdotool({QStringLiteral("windowfocus"), id});
    }

    void key(const QString &name) { xdotool({QStringLiteral("key"), name}); }

    void click(QPoint at)
    {
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                 QStringLiteral("click"), QStringLiteral("1")});
    }

    static void saveScreenshot(const QImage &image, const char *name)
    {
        const QString path = QStringLiteral(VIVREL_SCREENSHOT_DIR "/") + QLatin1String(name);
        QVERIFY2(image.save(path, "PNG"), qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "xdotool", "import"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP(
                    qPrintable(QStringLiteral("%1 is not installed (scripts/setup.sh installs it)")
                                   .arg(QLatin1String(tool))));
        }
        QVERIFY(mWork.isValid());
        // -displayfd: the server picks a free display itself and says which once it listens.
        endWithTheTest(mXvfb);
        mXvfb.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"),
                     QStringLiteral("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-wr"),
                     QStringLiteral("-noreset")});
        QVERIFY(mXvfb.waitForStarted(kPatience));
        QTRY_VERIFY_WITH_TIMEOUT(mXvfb.canReadLine(), kPatience);
        mDisplay = u':' + QString::fromLatin1(mXvfb.readLine()).trimmed();
        QCOMPARE(look().size(), QSize(kScreenWidth, kScreenHeight));
        QCOMPARE(shade(mShot.pixelColor(10, 10)), QStringLiteral("white"));
    }

    void cleanup()
    {
        if (vivrelRunning()) {
            mVivrel->kill();
            mVivrel->waitForFinished(kPatience);
        }
        mVivrel.reset();
    }

    void cleanupTestCase()
    {
        if (mXvfb.state() == QProcess::NotRunning)
            return;
        mXvfb.terminate();
        if (!mXvfb.waitForFinished(kPatience))
            mXvfb.kill();
    }

    void demoMediumStartsItsShow()
    {
        const QString folder = freshFolder();
        QVERIFY(layOutMedium(folder, IniFile::configurationFileContents()));
        writeStore(folder, {});
        startVivrel(folder);

        int first = -1;
        QTRY_VERIFY2_WITH_TIMEOUT((first = shownPicture(look())) >= 0,
                                  qPrintable(screenDescription(mShot)), kPatience);
        const QImage firstShot = mShot;
        // The viewer covers the whole screen, the main window and the root included.
        const QRect viewer = windowRect(QStringLiteral("/medium/"));
        QCOMPARE(viewer, QRect(0, 0, kScreenWidth, kScreenHeight));
        for (QPoint corner :
             {QPoint(0, 0), QPoint(kScreenWidth - 1, 0), QPoint(0, kScreenHeight - 1),
              QPoint(kScreenWidth - 1, kScreenHeight - 1), QPoint(184, 146)})
            QVERIFY2(shade(firstShot.pixelColor(corner)) != QLatin1String("white"),
                     qPrintable(QStringLiteral("(%1,%2)").arg(corner.x()).arg(corner.y())));

        // 1.5 seconds later another picture, fitted the same way.
        int next = -1;
        QTRY_VERIFY2_WITH_TIMEOUT((next = shownPicture(look())) >= 0 && next != first,
                                  qPrintable(screenDescription(mShot)), kPatience);
        QVERIFY(vivrelRunning());
        saveScreenshot(firstShot, "viewer.png");
        // JPEGs and a BMP (a reader of Qt's own): no other image plug-in is loaded to read them.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(mVivrel->processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        for (const QByteArray &line : maps.readAll().split('\n'))
            QVERIFY2(!line.contains("/imageformats/") || line.contains("jpeg"), line.constData());
    }

    void viewerKeys()
    {
        // In list order, so that "next" and "previous" are known.
        const QString folder = freshFolder();
        QVERIFY(layOutMedium(folder, "[Vivrel]\r\nSTART = 1\r\nFullScreen = 1\r\nInterval = 2\r\n"
                                     "REPEAT = 1\r\nRandom = 0\r\nStretch = 1\r\n"
                                     "RetainShape = 1\r\n"));
        writeStore(folder, {});
        startVivrel(folder);
        QTRY_VERIFY2_WITH_TIMEOUT(shownPicture(look()) >= 0, qPrintable(screenDescription(mShot)),
                                  kPatience);

        // Left pauses on the slide shown last: it stays for well over two intervals.
        key(QStringLiteral("Left"));
        int paused = shownPicture(look());
        QElapsedTimer unchanged;
        unchanged.start();
        QElapsedTimer overall;
        overall.start();
        while (unchanged.elapsed() < 5000 && overall.elapsed() < kPatience) {
            const int now = shownPicture(look());
            if (now != paused) {
                paused = now;
                unchanged.restart();
            }
            QTest::qWait(100);
        }
        QVERIFY2(unchanged.elapsed() >= 5000, "the show did not pause on Left");
        QVERIFY2(paused == 0 || paused == 1, qPrintable(screenDescription(mShot)));

        // Paused, the first Right shows the slide on screen again, the second the next one.
        key(QStringLiteral("Right"));
        key(QStringLiteral("Right"));
        QTRY_VERIFY2_WITH_TIMEOUT(shownPicture(look()) == paused + 1,
                                  qPrintable(screenDescription(mShot)), kPatience);
        key(QStringLiteral("Left"));
        key(QStringLiteral("Left"));
        QTRY_VERIFY2_WITH_TIMEOUT(shownPicture(look()) == paused,
                                  qPrintable(screenDescription(mShot)), kPatience);

        // Escape hides the viewer; the program and its main window stay.
        key(QStringLiteral("Escape"));
        QTRY_COMPARE_WITH_TIMEOUT(shade(look().pixelColor(kScreenWidth - 10, kScreenHeight - 10)),
                                  QStringLiteral("white"), kPatience);
        const QRect main = mainWindowRect();
        QCOMPARE(main.size(), kMainSize);
        const QString body = shade(mShot.pixelColor(main.topLeft() + QPoint(184, 8)));
        QVERIFY2(body != QLatin1String("white") && body != QLatin1String("black"),
                 qPrintable(body));
        QVERIFY(vivrelRunning());
    }

    void mainWindowLook()
    {
        const QString folder = freshFolder();
        QVERIFY(layOutMedium(folder, QByteArray()));
        writeStore(folder, {{QStringLiteral("mPath"), folder + QStringLiteral("/medium")},
                            {QStringLiteral("mInterval"), QStringLiteral("3")},
                            {QStringLiteral("mFullScreen"), QStringLiteral("1")},
                            {QStringLiteral("mRepeat"), QStringLiteral("1")},
                            {QStringLiteral("mSaveSettings"), QStringLiteral("1")}});
        startVivrel(folder);
        QRect place;
        focusMainWindow(&place);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(place.size(), kMainSize);

        // The panel: its ground is peach and it carries red text.
        QImage shot;
        const auto panelGround = [&] {
            shot = look().copy(place);
            return shade(shot.pixelColor(kPanel.center() + QPoint(0, 40)));
        };
        QTRY_COMPARE_WITH_TIMEOUT(panelGround(), QStringLiteral("peach"), kPatience);
        int redText = 0;
        int peach = 0;
        for (int y = kPanel.top(); y <= kPanel.bottom(); ++y) {
            for (int x = kPanel.left(); x <= kPanel.right(); ++x) {
                const QColor colour = shot.pixelColor(x, y);
                redText += distance(colour, kPanelText) <= 90;
                peach += near(colour, kPanelGround);
            }
        }
        QVERIFY2(redText > 100, qPrintable(QString::number(redText)));
        QVERIFY2(peach > kPanel.width() * kPanel.height() / 2, qPrintable(QString::number(peach)));
        // Two lines of it: the thanks, then the program's name whole, never broken within.
        int textLines = 0;
        bool inText = false;
        for (int y = kPanel.top(); y <= kPanel.bottom(); ++y) {
            bool red = false;
            for (int x = kPanel.left(); x <= kPanel.right() && !red; ++x)
                red = distance(shot.pixelColor(x, y), kPanelText) <= 90;
            textLines += red && !inText;
            inText = red;
        }
        QCOMPARE(textLines, 2);

        // The rounded outline: outside it the screen shows through, just inside it the window.
        for (QPoint outside : {QPoint(0, 0), QPoint(6, 5), QPoint(363, 5), QPoint(6, 292),
                               QPoint(363, 292), QPoint(2, 146), QPoint(366, 146)})
            QVERIFY2(shade(shot.pixelColor(outside)) == QLatin1String("white"),
                     qPrintable(QStringLiteral("(%1,%2)").arg(outside.x()).arg(outside.y())));
        for (QPoint inside : {QPoint(8, 146), QPoint(361, 146), QPoint(184, 5), QPoint(184, 292)})
            QVERIFY2(shade(shot.pixelColor(inside)) != QLatin1String("white"),
                     qPrintable(QStringLiteral("(%1,%2)").arg(inside.x()).arg(inside.y())));

        // The list: one line of text for each picture of the folder tree, nothing below.
        const QRect list = kList.adjusted(3, 3, -3, -3);
        int lines = 0;
        bool inLine = false;
        for (int y = list.top(); y <= list.bottom(); ++y) {
            bool ink = false;
            for (int x = list.left(); x <= list.right() && !ink; ++x) {
                const QColor colour = shot.pixelColor(x, y);
                ink = colour.red() + colour.green() + colour.blue() < 300;
            }
            lines += ink && !inLine;
            inLine = ink;
        }
        QCOMPARE(lines, kPictureCount);
        saveScreenshot(shot, "main-window.png");
    }

    void endingTheProgram_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape saves") << true;
        QTest::newRow("Close button does not") << false;
    }

    void endingTheProgram()
    {
        QFETCH(bool, byEscape);
        const QString folder = freshFolder();
        const QString pictures = folder + QStringLiteral("/medium");
        QVERIFY(layOutMedium(folder, QByteArray()));
        writeStore(folder, {{QStringLiteral("mPath"), pictures},
                            {QStringLiteral("mInterval"), QStringLiteral("2")},
                            {QStringLiteral("mFullScreen"), QStringLiteral("1")},
                            {QStringLiteral("mStretchImage"), QStringLiteral("1")},
                            {QStringLiteral("mRetainShape"), QStringLiteral("0")},
                            {QStringLiteral("mRepeat"), QStringLiteral("0")},
                            {QStringLiteral("mSaveSettings"), QStringLiteral("1")}});
        QFile store(storePath(folder));
        QVERIFY(store.open(QIODevice::ReadOnly));
        const QByteArray before = store.readAll();
        store.close();

        startVivrel(folder);
        QRect place;
        focusMainWindow(&place);
        if (QTest::currentTestFailed())
            return;
        // What the user changes during the run: Repeat ticked, the interval typed anew.
        click(place.topLeft() + kRepeatBox);
        click(place.topLeft() + kIntervalBox);
        key(QStringLiteral("ctrl+a"));
        xdotool({QStringLiteral("type"), QStringLiteral("4.5")});
        if (byEscape)
            key(QStringLiteral("Escape"));
        else
            click(place.topLeft() + kCloseButton);

        QTRY_VERIFY_WITH_TIMEOUT(!vivrelRunning(), kPatience);
        QCOMPARE(mVivrel->exitStatus(), QProcess::NormalExit);
        QCOMPARE(mVivrel->exitCode(), 0);

        if (!byEscape) {
            QVERIFY(store.open(QIODevice::ReadOnly));
            QCOMPARE(store.readAll(), before);
            return;
        }
        const QMap<QString, QString> saved = storedSettings(folder);
        const QMap<QString, QString> expected = {
            {QStringLiteral("mInterval"), QStringLiteral("4.5")},
            {QStringLiteral("mPath"), pictures},
            {QStringLiteral("mFullScreen"), QStringLiteral("1")},
            {QStringLiteral("mPreview"), QStringLiteral("0")},
            {QStringLiteral("mFileType"), QStringLiteral("*.jpg;*.bmp;*.gif")},
            {QStringLiteral("mStretchImage"), QStringLiteral("True")},
            {QStringLiteral("mRetainShape"), QStringLiteral("False")},
            {QStringLiteral("mRepeat"), QStringLiteral("1")},
            {QStringLiteral("mRandom"), QStringLiteral("0")},
            {QStringLiteral("mSaveSettings"), QStringLiteral("1")},
        };
        QCOMPARE(saved, expected);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
