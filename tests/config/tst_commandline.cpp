// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The command line: what it answers without a window, which paths it keeps, and the
// named pictures taking the place of the configuration file's own start.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/Paths.h"
#include "common/Version.h"
#include "config/CommandLine.h"
#include "config/SettingsStore.h"
#include "config/StartUp.h"
#include "engine/SlideCache.h"
#include "viewer/frmPreview.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <optional>

using TestTrees::writeAll;
using TestTrees::writePicture;
using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mStore;
    std::unique_ptr<QTemporaryDir> mExe;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        mStore = std::make_unique<QTemporaryDir>();
        TestSandbox::useSettingsStore(mStore->path());
        mExe = std::make_unique<QTemporaryDir>();
        Paths::setExecutableForTesting(mExe->path(), QStringLiteral("Vivrel"));
    }

    void cleanup() { Paths::setExecutableForTesting(QString(), QString()); }

    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("alone");
        QTest::newRow("nothing") << QStringList{} << false;
        QTest::newRow("paths") << QStringList{u"a"_s, u"b.jpg"_s} << false;
        QTest::newRow("--version") << QStringList{u"--version"_s} << true;
        QTest::newRow("--help") << QStringList{u"--help"_s} << true;
        QTest::newRow("--help-all") << QStringList{u"--help-all"_s} << true;
        QTest::newRow("version after a path") << QStringList{u"a"_s, u"--version"_s} << true;
        // An error is answered without a window, as help is.
        QTest::newRow("unknown") << QStringList{u"--bogus"_s, u"--version"_s} << true;
        QTest::newRow("unknown alone") << QStringList{u"--bogus"_s} << true;
        QTest::newRow("unknown single dash") << QStringList{u"-bogus"_s, u"a"_s} << true;
        QTest::newRow("Qt's -platform, no value") << QStringList{u"-platform"_s} << true;
        // Qt's own options are left to the GUI application; its value is not a path.
        QTest::newRow("Qt's -platform") << QStringList{u"-platform"_s, u"xcb"_s, u"a"_s} << false;
        QTest::newRow("Qt's --style=") << QStringList{u"--style=fusion"_s, u"-reverse"_s} << false;
        QTest::newRow("help beside Qt's -platform")
            << QStringList{u"-platform"_s, u"xcb"_s, u"--help"_s} << true;
        QTest::newRow("-v") << QStringList{u"-v"_s} << true;
        QTest::newRow("a path named --version") << QStringList{u"--"_s, u"--version"_s} << false;
    }

    void answersWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, alone);
        QCOMPARE(CommandLine::answersWithoutDisplay(QStringList{u"Vivrel"_s} + arguments), alone);
    }

    void existingPaths()
    {
        QTemporaryDir dir;
        const QString r = dir.path();
        TestTrees::touch(r, {u"pics/a.jpg"_s, u"b.jpg"_s});
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(r + u"/pics"_s));
        QStringList missing;
        const QStringList kept =
            CommandLine::existingPaths({u"../pics/"_s, u"a.jpg"_s, u"gone.jpg"_s, r + u"/b.jpg"_s,
                                        u"gone.jpg"_s, u""_s, u"./../b.jpg"_s},
                                       [&](const QString &path) { missing << path; });
        QDir::setCurrent(before);
        QCOMPARE(kept, (QStringList{r + u"/pics"_s, r + u"/pics/a.jpg"_s, r + u"/b.jpg"_s,
                                    r + u"/b.jpg"_s}));
        QCOMPARE(missing, (QStringList{u"gone.jpg"_s, u""_s}));
    }

    void namedPicturesTakeThePlaceOfTheAutoStart()
    {
        QTemporaryDir named;
        writePicture(mExe->path() + u"/e1.jpg"_s, 20, 10, "JPG");
        writePicture(mExe->path() + u"/e2.bmp"_s, 20, 10, "BMP");
        writePicture(named.path() + u"/n1.jpg"_s, 20, 10, "JPG");
        writePicture(named.path() + u"/sub/n2.jpg"_s, 20, 10, "JPG");
        writePicture(mExe->path() + u"/alone.bmp"_s, 20, 10, "BMP");
        writeAll(mExe->path() + u"/Vivrel.INI"_s, "[Vivrel]\r\nSTART = 1\r\nInterval = 7\r\n");
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        c.chkAdditive->setValue(1);
        w.setIniAutoStart(false);
        w.Form_Load();
        // The file's values apply, its start does not.
        QCOMPARE(c.Text1->text(), QStringLiteral("7"));
        QCOMPARE(c.list->count(), 3);
        QVERIFY(!c.Timer1->isEnabled());

        w.openPaths({named.path(), mExe->path() + u"/alone.bmp"_s});
        QStringList listed;
        for (qsizetype i = 0; i < c.list->count(); ++i) {
            listed << c.list->fullPath(i);
            QVERIFY(c.File1->isSelected(i));
        }
        // The first path replaces the list, though the box the user sees stays ticked.
        // The list spells its paths the system's way.
        QStringList expected{named.path() + u"/n1.jpg"_s, named.path() + u"/sub/n2.jpg"_s,
                             mExe->path() + u"/alone.bmp"_s};
        for (QString &path : expected)
            path = QDir::toNativeSeparators(path);
        QCOMPARE(listed, expected);
        QCOMPARE(c.chkAdditive->value(), 1);
        QCOMPARE(c.cmdResume->text(), QStringLiteral("Pause"));
        QCOMPARE(c.lblFileName->text(), listed.constFirst());
        QCOMPARE(rememberedFolder(w), named.path());
    }

    void namedPicturesAreOnScreenBeforeAnythingIsDecodedAhead()
    {
        QTemporaryDir named;
        for (const char *name : {"/n1.jpg", "/n2.jpg", "/n3.jpg"})
            writePicture(named.path() + QLatin1String(name), 40, 30, "JPG");
        // The list spells its paths the system's way.
        const QString first = QDir::toNativeSeparators(named.path() + u"/n1.jpg"_s);
        const QString second = QDir::toNativeSeparators(named.path() + u"/n2.jpg"_s);
        FakeSeams fake;
        PictureElement::forgetFirstPicture(); // as in a program just started
        frmVivrel w;
        const MainControls c(w);
        c.chkFullScreen->setValue(1);
        c.chkRandom->setValue(0);
        w.setIniAutoStart(false);
        w.Form_Load();
        w.show();

        // What the cache does when the first slide is on screen, seen before anything
        // else that waits for that moment runs.
        std::optional<bool> aheadAtFirstPaint;
        PictureElement::afterFirstPicture(&w, [&] {
            aheadAtFirstPaint = w.slideCache().isBusy() || w.slideCache().holds(second);
        });
        w.openPaths({named.path()});
        QCOMPARE(c.lblFileName->text(), first);
        QTRY_VERIFY(aheadAtFirstPaint.has_value());
        QVERIFY(!*aheadAtFirstPaint);
        // Right after it, the slides around it are decoded ahead as in any show.
        QTRY_VERIFY(w.slideCache().holds(second));
    }

    // Before any window exists, the store tells the first slide of a named file and the
    // view the full-screen viewer will show it in; where it cannot tell, nothing.
    void firstNamedSlide_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("namesFolder");
        QTest::addColumn<bool>("iniFile");
        QTest::addColumn<int>("known"); // -1: nothing; else 0 natural, 1 stretched, 2 shape kept
        QTest::newRow("natural size") << u"mFullScreen=1,mRandom=0"_s << false << false << 0;
        QTest::newRow("stretched")
            << u"mFullScreen=1,mStretchImage=True,mRetainShape=False"_s << false << false << 1;
        QTest::newRow("shape kept")
            << u"mFullScreen=1,mStretchImage=True,mRetainShape=True"_s << false << false << 2;
        QTest::newRow("shape without stretch")
            << u"mFullScreen=1,mRetainShape=True"_s << false << false << 0;
        QTest::newRow("random") << u"mFullScreen=1,mRandom=1"_s << false << false << -1;
        QTest::newRow("in the pane") << u"mFullScreen=0"_s << false << false << -1;
        QTest::newRow("a folder named") << u"mFullScreen=1"_s << true << false << -1;
        QTest::newRow("configuration file") << u"mFullScreen=1"_s << false << true << -1;
        QTest::newRow("never stored") << u""_s << false << false << -1;
    }
    void firstNamedSlide()
    {
        QFETCH(QString, stored);
        QFETCH(bool, namesFolder);
        QFETCH(bool, iniFile);
        QFETCH(int, known);
        QTemporaryDir named;
        const QString picture = named.path() + u"/n1.jpg"_s;
        writePicture(picture, 40, 30, "JPG");
        if (iniFile)
            writeAll(mExe->path() + u"/Vivrel.INI"_s, "[Vivrel]\r\nFullScreen = 1\r\n");
        QList<std::pair<QString, QString>> values;
        if (!stored.isEmpty()) {
            values.append({u"mPath"_s, named.path()});
            for (const QString &pair : stored.split(u','))
                values.append({pair.section(u'=', 0, 0), pair.section(u'=', 1)});
        }
        QVERIFY(SettingsStore::SaveSettings(u"Settings"_s, values).ok());

        const QScreen *screen = QGuiApplication::primaryScreen();
        const std::optional<StartUp::Slide> slide =
            StartUp::firstNamedSlide({namesFolder ? named.path() : picture}, screen);
        QCOMPARE(slide.has_value(), known >= 0);
        if (!slide)
            return;
        QCOMPARE(slide->path, picture);
        QCOMPARE(slide->view.stretchChecked, known >= 1);
        QCOMPARE(slide->view.retainShapeChecked, known == 2);
        QCOMPARE(QSizeF(slide->view.windowWidth, slide->view.windowHeight),
                 QSizeF(screen->geometry().size()));
        QCOMPARE(slide->view.devicePixelRatio, screen->devicePixelRatio());
    }

    // Its decode starts while the windows are made, and the show puts it up without
    // decoding it again, though start-up lists another folder in between.
    void namedPictureIsDecodedBeforeTheWindowIsMade()
    {
        QTemporaryDir named;
        QTemporaryDir other;
        writePicture(other.path() + u"/o1.jpg"_s, 40, 30, "JPG");
        for (const char *name : {"/n1.jpg", "/n2.jpg"})
            writePicture(named.path() + QLatin1String(name), 400, 300, "JPG");
        const QString first = QDir::toNativeSeparators(named.path() + u"/n1.jpg"_s);
        QVERIFY(SettingsStore::SaveSettings(u"Settings"_s, {{u"mPath"_s, other.path()},
                                                            {u"mFullScreen"_s, u"1"_s},
                                                            {u"mStretchImage"_s, u"True"_s},
                                                            {u"mRetainShape"_s, u"True"_s}})
                    .ok());
        const std::optional<StartUp::Slide> slide =
            StartUp::firstNamedSlide({first}, QGuiApplication::primaryScreen());
        QVERIFY(slide);
        // Decoded before start-up lists the stored folder: a show that asked for it while
        // it was still decoding would count it as not decoded yet.
        const SlideCache *early = SlideCache::startEarly(slide->path, slide->view);
        QTRY_VERIFY(!early->isBusy());
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.setIniAutoStart(false);
        w.Form_Load();
        QCOMPARE(c.list->count(), 1); // the stored folder, listed by start-up
        w.show();
        w.openPaths({first});
        QTRY_VERIFY(!w.slidePending());
        QCOMPARE(c.lblFileName->text(), first);
        QCOMPARE(w.viewer().view().stretchChecked, true);
        QCOMPARE(w.slideCache().coldLoads(), 1);
        QVERIFY(w.slideCache().holds(first));
        QCOMPARE(SlideCache::takeEarly(), nullptr);
    }

    // A view other than the one it was started for stops that decode and decodes again.
    void earlySlideForAnotherView()
    {
        QTemporaryDir named;
        const QString picture = named.path() + u"/n1.jpg"_s;
        writePicture(picture, 400, 300, "JPG");
        Fitting::View guessed;
        guessed.windowWidth = guessed.width = 200;
        guessed.windowHeight = guessed.height = 100;
        guessed.stretchChecked = true;
        SlideCache::startEarly(picture, guessed);
        std::unique_ptr<SlideCache> cache(SlideCache::takeEarly());
        QVERIFY(cache);
        Fitting::View shown = guessed;
        shown.windowWidth = shown.width = 800;
        shown.windowHeight = shown.height = 600;
        shown.stretchChecked = false;
        std::optional<Result<Picture>> picture2 = cache->take(picture, shown);
        if (!picture2) {
            QTRY_VERIFY(!cache->isBusy());
            picture2 = cache->take(picture, shown);
        }
        QVERIFY(picture2 && picture2->ok());
        QCOMPARE((*picture2)->image.size(), QSize(400, 300));
        QCOMPARE(cache->coldLoads(), 2);
    }

    void program_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString version = QStringLiteral("Vivrel %1.%2.%3\n")
                                    .arg(VIVREL_VERSION_MAJOR)
                                    .arg(VIVREL_VERSION_MINOR)
                                    .arg(VIVREL_VERSION_PATCH);
        // xcb with no X server: the program would fail if it asked for a display.
        QTest::newRow("--version, no display")
            << QStringList{u"--version"_s} << u"xcb"_s << 0 << version << QString();
        QTest::newRow("--help, no display")
            << QStringList{u"--help"_s} << u"xcb"_s << 0 << u"Usage: "_s << QString();
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s, u"x"_s} << u"offscreen"_s << 1
                                        << QString() << "Unknown option 'bogus'";
        QTest::newRow("unknown option, no display") << QStringList{u"--bogus"_s} << u"xcb"_s << 1
                                                    << QString() << u"Unknown option 'bogus'"_s;
        QTest::newRow("help beside Qt's option, no display")
            << QStringList{u"-platform"_s, u"xcb"_s, u"-h"_s} << u"xcb"_s << 0 << u"Usage: "_s
            << QString();
        // Qt would abort; the program says why in one line.
        QTest::newRow("no display")
            << QStringList{} << "xcb" << 1 << QString() << "Vivrel: cannot open a display: ";
        QTest::newRow("no such platform") << QStringList{u"a.jpg"_s} << u"nowhere"_s << 1
                                          << QString() << "Vivrel: cannot open a display: ";
    }

    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
#ifdef Q_OS_WIN
        if (err.startsWith(QStringLiteral("Vivrel: cannot open a display")))
            QSKIP("Windows always has its desktop, and the platform plug-in is beside the program");
#endif
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        // In English, whatever the language of the one who runs the test.
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), mStore->path());
        QProcess vivrel;
        vivrel.setProcessEnvironment(env);
#ifdef Q_OS_WIN
        // Built beside this test; the build's own path may be a Unix one (a cross build
        // run under Wine), which Windows cannot start.
        vivrel.start(QCoreApplication::applicationDirPath() + QStringLiteral("/Vivrel.exe"),
                     arguments);
#else
        vivrel.start(QStringLiteral(VIVREL_EXECUTABLE), arguments);
#endif
        QVERIFY(vivrel.waitForFinished(60000));
        // Text written on Windows ends its lines with CR LF.
        const QString stdOut = QString::fromLocal8Bit(vivrel.readAllStandardOutput())
                                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QString stdErr = QString::fromLocal8Bit(vivrel.readAllStandardError())
                                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(vivrel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(vivrel.exitCode(), exitCode);
        if (exitCode == 0) {
            QVERIFY2(stdOut.startsWith(out), qPrintable(stdOut));
        } else {
            QCOMPARE(stdOut, QString());
            QVERIFY2(stdErr.startsWith(QStringLiteral("Vivrel: ")) && stdErr.contains(err) &&
                         stdErr.count(QLatin1Char('\n')) == 1 && stdErr.endsWith(QLatin1Char('\n')),
                     qPrintable(stdErr));
        }
    }
};

VIVREL_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
