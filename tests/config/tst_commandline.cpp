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
#include "engine/SlideCache.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
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
