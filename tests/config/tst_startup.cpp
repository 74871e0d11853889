// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's start-up from the configuration file or the per-user store, the
// Tools command, and shut-down.

#include "Controls.h"
#include "FakeSeams.h"
#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/IntervalTimer.h"
#include "common/Paths.h"
#include "config/IniFile.h"
#include "config/SettingsStore.h"
#include "config/StartUp.h"
#include "viewer/frmPreview.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <atomic>
#include <memory>

using SettingsStore::GetSetting;
using SettingsStore::SaveSetting;
using TestTrees::readAll;
using TestTrees::writeAll;
using namespace Qt::StringLiterals;

namespace {

/** Three pictures in a folder and its subfolders. */
void writePictures(const QString &root)
{
    TestTrees::writePicture(root + QStringLiteral("/a.jpg"), 40, 30, "JPG");
    TestTrees::writePicture(root + QStringLiteral("/sub/b.bmp"), 30, 40, "BMP");
    // Qt writes no GIF; a 1 x 1 one by hand.
    TestTrees::writeFile(root, QStringLiteral("sub/deep/c.gif"),
                         QByteArray::fromHex("4749463839610100010080000000000000ffffff2c0000000001"
                                             "0001000002024401003b"));
}

qsizetype selectedCount(const frmVivrel &w)
{
    const MainControls c(w);
    qsizetype n = 0;
    for (qsizetype i = 0; i < c.list->count(); ++i)
        n += c.File1->isSelected(i) ? 1 : 0;
    return n;
}

/** Whether the thank-you mail is still due: Start Show offers it first thing then. */
bool mailDue(frmVivrel &w, const FakeSeams &fake)
{
    const qsizetype before = fake.messages.size();
    MainControls(w).cmdStart->click();
    return fake.messages.size() > before &&
           fake.messages[before].title == u"Thank you for using Tremallo Product"_s;
}

/**
 * Whether choosing another item of the list shows it in the preview pane, as it does
 * once start-up is over ("Preview" is turned on for it).
 */
bool listPreviews(frmVivrel &w)
{
    const MainControls c(w);
    c.chkPreview->setValue(1);
    for (qsizetype row = 0; row < c.list->count(); ++row) {
        const QString path = c.list->fullPath(row);
        if (row != c.File1->currentRow() && c.imgPreview->picture().source != path) {
            c.File1->setCurrentRow(row);
            return slideSettled(w) && c.imgPreview->picture().source == path;
        }
    }
    return false;
}

const QByteArray kNineLines = "[Vivrel]\r\nPATH=\r\nSTART = 1\r\nFILETYPE = 0\r\nFullScreen = "
                              "1\r\nInterval = 1.5\r\nREPEAT = 1\r\nStretch = 1\r\nRetainShape = "
                              "1\r\n";
const QByteArray kThreeLines = "[AUTORUN]\r\nICON=Vivrel.EXE,0\r\nOPEN=Vivrel.EXE\r\n";

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mStore;
    std::unique_ptr<QTemporaryDir> mExe;
    std::unique_ptr<QTemporaryDir> mPictures;

    QString exeDir() const { return mExe->path(); }
    QString iniFile() const { return exeDir() + QStringLiteral("/Vivrel.INI"); }

    void storeAll(const QList<QPair<QString, QString>> &values)
    {
        for (const auto &[key, value] : values)
            QVERIFY(SaveSetting(key, value));
    }

private slots:
    void init()
    {
        // A fresh store, executable folder and picture folder for every test.
        mStore = std::make_unique<QTemporaryDir>();
        TestSandbox::useSettingsStore(mStore->path());
        mExe = std::make_unique<QTemporaryDir>();
        mPictures = std::make_unique<QTemporaryDir>();
        Paths::setExecutableForTesting(mExe->path(), QStringLiteral("Vivrel"));
        writePictures(mExe->path());
        writePictures(mPictures->path());
    }

    void cleanup() { Paths::setExecutableForTesting(QString(), QString()); }

    void roundTripThroughStore_data()
    {
        QTest::addColumn<int>("saveOnExit");
        QTest::newRow("ticked") << 1;
        QTest::newRow("cleared") << 0;
        QTest::newRow("grayed") << 2;
    }

    void roundTripThroughStore()
    {
        QFETCH(int, saveOnExit);
        FakeSeams fake;
        {
            frmVivrel w;
            const MainControls c(w);
            w.Form_Load();
            QVERIFY(mailDue(w, fake));
            c.Text1->setText(QStringLiteral("2.5"));
            fake.folderAnswers = {mPictures->path()};
            MainControls(w).cmdDirList->click();
            c.chkFullScreen->setValue(1);
            c.chkRepeat->setValue(2);
            c.chkRandom->setValue(1);
            c.cmbFileType->setCurrentIndex(2);
            ViewerControls(w.viewer()).mnuStretch->setChecked(true);
            ViewerControls(w.viewer()).mnuRetainShape->setChecked(true);
            c.chkSaveSettings->setValue(saveOnExit);
            w.close();
        }
        QCOMPARE(fake.endProgramCalls, QList<int>{0});

        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        const bool kept = saveOnExit == 1;
        QCOMPARE(c.Text1->text(), kept ? QStringLiteral("2.5") : QStringLiteral("3"));
        QCOMPARE(c.chkFullScreen->value(), kept ? 1 : 0);
        QCOMPARE(c.chkRepeat->value(), kept ? 2 : 0);
        QCOMPARE(c.chkRandom->value(), kept ? 1 : 0);
        QCOMPARE(c.chkSaveSettings->value(), kept ? 1 : 0);
        QCOMPARE(c.cmbFileType->currentIndex(), kept ? 2 : 0);
        QCOMPARE(ViewerControls(w.viewer()).mnuStretch->isChecked(), kept);
        QCOMPARE(ViewerControls(w.viewer()).mnuRetainShape->isChecked(), kept);
        QCOMPARE(ViewerControls(w.viewer()).mnuRetainShape->isEnabled(), kept);
        // Kept: the stored folder is scanned with the stored type (BMP only).
        // Reset: the single-space folder is scanned neither as it is nor as the
        // executable's folder, which holds pictures.
        QCOMPARE(c.list->count(), kept ? 1 : 0);
        QCOMPARE(GetSetting(QStringLiteral("mStretchImage")),
                 kept ? QStringLiteral("True") : QStringLiteral("0"));
        QVERIFY(!mailDue(w, fake));
        QCOMPARE(rememberedFolder(w), kept ? mPictures->path() : QStringLiteral(" "));
    }

    void unloadWritesEveryKey_data()
    {
        QTest::addColumn<int>("saveOnExit");
        QTest::addColumn<QList<int>>("boxes"); // Full Screen, Preview, Repeat, Random
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<QStringList>("written"); // key by key as `keys` lists them
        // Between the two ticked rows every pair of boxes differs somewhere, so a key
        // that is written from the wrong holder shows.
        QTest::newRow("ticked, first")
            << 1 << QList<int>{0, 1, 2, 0} << true
            << QStringList{u"2.5"_s,   u"0"_s, u"1"_s, u"*.bmp"_s, u"True"_s,
                           u"False"_s, u"2"_s, u"0"_s, u"1"_s};
        QTest::newRow("ticked, second")
            << 1 << QList<int>{1, 0, 2, 2} << false
            << QStringList{u"2.5"_s,  u"1"_s, u"0"_s, u"*.bmp"_s, u"False"_s,
                           u"True"_s, u"2"_s, u"2"_s, u"1"_s};
        QTest::newRow("cleared") << 0 << QList<int>{1, 0, 2, 2} << true
                                 << QStringList{u"3"_s, u"0"_s, u"0"_s, u"*.jpg;*.bmp;*.gif"_s,
                                                u"0"_s, u"0"_s, u"0"_s, u"0"_s,
                                                u"0"_s};
    }

    void unloadWritesEveryKey()
    {
        QFETCH(int, saveOnExit);
        QFETCH(QList<int>, boxes);
        QFETCH(bool, stretch);
        QFETCH(QStringList, written);
        const QStringList keys = {u"mInterval"_s, u"mFullScreen"_s,   u"mPreview"_s,
                                  u"mFileType"_s, u"mStretchImage"_s, u"mRetainShape"_s,
                                  u"mRepeat"_s,   u"mRandom"_s,       u"mSaveSettings"_s};
        // Keys read when they are wanted, which shut-down leaves as they are.
        storeAll({{u"mBgd"_s, u"/pictures/bgd.jpg"_s}});
        SettingsStore::open()->setValue(QStringLiteral("Advert/BaseUrl"),
                                        QStringLiteral("http://x/"));
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("2.5"));
        w.findChild<QComboBox *>(QStringLiteral("cmbFileType"))->setCurrentIndex(2);
        const char *boxNames[] = {"chkFullScreen", "chkPreview", "chkRepeat", "chkRandom"};
        for (qsizetype i = 0; i < boxes.size(); ++i)
            w.findChild<TriCheckBox *>(QLatin1String(boxNames[i]))->setValue(boxes[i]);
        w.viewer().setStretchChecked(stretch);
        w.viewer().setRetainShapeChecked(!stretch);
        w.findChild<TriCheckBox *>(QStringLiteral("chkSaveSettings"))->setValue(saveOnExit);
        QList<QStringList> flushes;
        SettingsStore::setFlushWatcher([&flushes](const QStringList &k) { flushes << k; });
        w.close();
        SettingsStore::setFlushWatcher({});
        // Every key in one write, in the order the store has always been given them.
        const QStringList inOrder = {u"mInterval"_s,    u"mPath"_s,     u"mFullScreen"_s,
                                     u"mPreview"_s,     u"mFileType"_s, u"mStretchImage"_s,
                                     u"mRetainShape"_s, u"mRepeat"_s,   u"mRandom"_s,
                                     u"mSaveSettings"_s};
        QCOMPARE(flushes, QList<QStringList>{inOrder});
        // The folder start-up took on this first run, or the one that scans nothing.
        QCOMPARE(GetSetting(QStringLiteral("mPath")),
                 saveOnExit == 1 ? exeDir() : QStringLiteral(" "));
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(GetSetting(keys[i]), written[i]);
        QCOMPARE(GetSetting(QStringLiteral("mBgd")), QStringLiteral("/pictures/bgd.jpg"));
        QCOMPARE(StartUp::storedAdvertBaseUrl(), QStringLiteral("http://x/"));
    }

    void storedValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("saveSettings");
        QTest::addColumn<bool>("stretch");
        // "Save on Exit" starts ticked, Stretch clear; mRetainShape holds "True".
        QTest::newRow("True") << "True" << 1 << true;
        QTest::newRow("False") << "False" << 1 << false;
        QTest::newRow("0") << "0" << 0 << false;
        QTest::newRow("2") << "2" << 2 << true;
        QTest::newRow("7") << "7" << 1 << true;
        QTest::newRow("abc") << "abc" << 1 << false;
        QTest::newRow("absent") << QString() << 1 << false;
    }

    void storedValues()
    {
        QFETCH(QString, stored);
        QFETCH(int, saveSettings);
        QFETCH(bool, stretch);
        storeAll({{u"mPath"_s, mPictures->path()}, {u"mRetainShape"_s, u"True"_s}});
        if (!stored.isNull())
            storeAll({{u"mSaveSettings"_s, stored}, {u"mStretchImage"_s, stored}});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.chkSaveSettings->value(), saveSettings);
        QCOMPARE(ViewerControls(w.viewer()).mnuStretch->isChecked(), stretch);
        // Without Stretch the Retain Shape mark is not loaded and the entry is off.
        QCOMPARE(ViewerControls(w.viewer()).mnuRetainShape->isChecked(), stretch);
        QCOMPARE(ViewerControls(w.viewer()).mnuRetainShape->isEnabled(), stretch);
        // An absent interval is not skipped: it empties the box.
        QCOMPARE(c.Text1->text(), QString());
    }

    void storedSelectorText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("item");
        QTest::newRow("one of the items") << "*.gif" << 3;
        QTest::newRow("unknown text") << "*.png" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void storedSelectorText()
    {
        QFETCH(QString, stored);
        QFETCH(int, item);
        storeAll({{u"mPath"_s, mPictures->path()}, {u"mFileType"_s, stored}});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.cmbFileType->currentIndex(), item);
        QCOMPARE(c.cmbFileType->count(), 4);
    }

    void storedPreviewRunsItsBehaviour()
    {
        storeAll({{u"mPath"_s, mPictures->path()}, {u"mPreview"_s, u"1"_s}});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        QSignalSpy changed(c.chkPreview, &TriCheckBox::valueChanged);
        w.Form_Load();
        QCOMPARE(c.chkPreview->value(), 1);
        QCOMPARE(changed.size(), 1);
        QVERIFY(listPreviews(w));
    }

    void viewerBackground()
    {
        FakeSeams fake;
        frmVivrel w;
        // Start Show loads the stored background, an empty list or not.
        QToolButton *start = MainControls(w).cmdStart;
        const QString picture = mPictures->path() + QStringLiteral("/a.jpg");

        start->click(); // nothing stored
        QVERIFY(w.viewer().background().isNull());

        QVERIFY(SaveSetting(QStringLiteral("mBgd"), picture));
        start->click();
        QCOMPARE(w.viewer().background().size(), QSize(40, 30));

        // Anything that is not a loadable picture keeps the background there is; so
        // does a hidden one, and a pipe under a picture's name is never opened.
        const QString notPicture = mPictures->path() + QStringLiteral("/fake.jpg");
        writeAll(notPicture, "not a picture");
        const QString hidden = mPictures->path() + QStringLiteral("/.hidden.jpg");
        TestTrees::writePicture(hidden, 50, 40, "jpg");
        const QString pipe = mPictures->path() + QStringLiteral("/pipe.jpg");
        QStringList broken = {notPicture, mPictures->path() + QStringLiteral("/gone.jpg"),
                              mPictures->path()};
#ifndef Q_OS_WIN // a leading dot hides nothing there
        broken.append(hidden);
#endif
        if (PortableSetup::kHasFifos) {
            QVERIFY(PortableSetup::makeFifo(pipe));
            broken.append(pipe);
        }
        for (const QString &bad : broken) {
            QVERIFY(SaveSetting(QStringLiteral("mBgd"), bad));
            start->click();
            QCOMPARE(w.viewer().background().size(), QSize(40, 30));
        }
    }

    void iniWithOnlyItsSection()
    {
        writeAll(iniFile(), "[Vivrel]\r\n");
        // The store is not read at all when the file is there.
        storeAll({{u"mPath"_s, mPictures->path()},
                  {u"mInterval"_s, u"9"_s},
                  {u"mPreview"_s, u"1"_s},
                  {u"mSaveSettings"_s, u"0"_s}});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.list->count(), 3);
        QCOMPARE(selectedCount(w), 0);
        QCOMPARE(c.chkFullScreen->value(), 0);
        QCOMPARE(c.chkRepeat->value(), 1);
        QCOMPARE(c.chkRandom->value(), 1);
        QCOMPARE(c.cmbFileType->currentIndex(), 0);
        QCOMPARE(c.Text1->text(), QStringLiteral("3"));
        QVERIFY(!ViewerControls(w.viewer()).mnuStretch->isChecked());
        QVERIFY(!ViewerControls(w.viewer()).mnuRetainShape->isChecked());
        QVERIFY(ViewerControls(w.viewer()).mnuRetainShape->isEnabled());
        QCOMPARE(c.chkPreview->value(), 0);
        QCOMPARE(c.chkSaveSettings->value(), 1);
        QVERIFY(listPreviews(w));
        QVERIFY(!mailDue(w, fake));
        QCOMPARE(rememberedFolder(w), exeDir());
    }

    void iniValuesTheControlsRefuse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("fullScreen");
        QTest::newRow("FileType 7, FullScreen yes")
            << QByteArray("[Vivrel]\r\nFileType = 7\r\nFullScreen = yes\r\n") << 0 << 0;
        QTest::newRow("FileType 3, FullScreen 2")
            << QByteArray("[Vivrel]\r\nFileType = 3\r\nFullScreen = 2\r\n") << 3 << 2;
        QTest::newRow("FileType -1 selects none")
            << QByteArray("[Vivrel]\nFileType=-1\n") << -1 << 0;
        QTest::newRow("FileType 4, FullScreen 1.5")
            << QByteArray("[Vivrel]\nFileType=4\nFullScreen=1.5\n") << 0 << 2;
        // Preview and Save on Exit are options of the store alone.
        QTest::newRow("keys the file does not have")
            << QByteArray("[Vivrel]\nPreview=1\nSaveSettings=0\nmPreview=1\nFullScreen=1\n") << 0
            << 1;
    }

    void iniValuesTheControlsRefuse()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, fileType);
        QFETCH(int, fullScreen);
        writeAll(iniFile(), content);
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.cmbFileType->currentIndex(), fileType);
        QCOMPARE(c.chkFullScreen->value(), fullScreen);
        QCOMPARE(c.chkRepeat->value(), 1);
        QCOMPARE(c.chkPreview->value(), 0);
        QCOMPARE(c.chkSaveSettings->value(), 1);
    }

    void iniRelativeFolderCountsFromTheMedium_data()
    {
        QTest::addColumn<QString>("exeIn");  // below the medium's folder
        QTest::addColumn<QString>("value");  // of Path
        QTest::addColumn<QString>("folder"); // below the medium's folder; "*": the other one
        QTest::addColumn<int>("listed");
        QTest::newRow("subfolder") << ""
                                   << "sub"
                                   << "/sub" << 2;
        QTest::newRow("dot and deeper") << ""
                                        << "./sub/deep"
                                        << "/sub/deep" << 1;
        QTest::newRow("down and up again") << ""
                                           << "sub/deep/.."
                                           << "/sub" << 2;
        QTest::newRow("parent") << "/sub"
                                << ".."
                                << "" << 3;
        QTest::newRow("absolute, elsewhere") << ""
                                             << "*"
                                             << "*" << 3;
    }

    void iniRelativeFolderCountsFromTheMedium()
    {
        QFETCH(QString, exeIn);
        QFETCH(QString, value);
        QFETCH(QString, folder);
        QFETCH(int, listed);
        // The sandbox's current folder is elsewhere; a decoy there must not be scanned.
        writePictures(QDir::currentPath() + QStringLiteral("/sub"));
        const QString medium = exeDir();
        Paths::setExecutableForTesting(medium + exeIn, QStringLiteral("Vivrel"));
        if (value == u'*')
            value = mPictures->path();
        writeAll(medium + exeIn + QStringLiteral("/Vivrel.INI"),
                 "[Vivrel]\r\nPath=" + value.toUtf8() + "\r\n");
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        QCOMPARE(rememberedFolder(w), folder == u'*' ? mPictures->path() : medium + folder);
        QCOMPARE(MainControls(w).list->count(), listed);
        QVERIFY(fake.messages.isEmpty());
    }

    void iniUnderAnotherExecutableName()
    {
        Paths::setExecutableForTesting(exeDir(), QStringLiteral("Show"));
        writeAll(exeDir() + QStringLiteral("/Show.INI"), kNineLines);
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        // Found, but its section is [Vivrel], not [SHOW]: every key takes its default.
        QCOMPARE(c.chkFullScreen->value(), 0);
        QCOMPARE(c.Text1->text(), QStringLiteral("3"));
        QVERIFY(!ViewerControls(w.viewer()).mnuStretch->isChecked());
        QCOMPARE(c.list->count(), 3);
        QCOMPARE(selectedCount(w), 0);
        QCOMPARE(rememberedFolder(w), exeDir());
    }

    void filesOfAnotherNameLeaveTheStoreInCharge()
    {
        Paths::setExecutableForTesting(exeDir(), QStringLiteral("Show"));
        writeAll(iniFile(), kNineLines); // Vivrel.INI: not this executable's file
        storeAll({{u"mPath"_s, mPictures->path()},
                  {u"mInterval"_s, u"4"_s},
                  {u"mFullScreen"_s, u"0"_s}});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.Text1->text(), QStringLiteral("4"));
        QCOMPARE(selectedCount(w), 0);
        QCOMPARE(rememberedFolder(w), mPictures->path());
    }

    void autoStart_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("starts");
        QTest::newRow("1") << QByteArray("START = 1") << true;
        QTest::newRow("1.0") << QByteArray("Start=1.0") << true;
        QTest::newRow("2") << QByteArray("Start=2") << false;
        QTest::newRow("empty") << QByteArray("Start=") << false;
        QTest::newRow("absent") << QByteArray() << false;
        QTest::newRow("abc") << QByteArray("Start=abc") << false;
    }

    void autoStart()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, starts);
        writeAll(iniFile(), "[Vivrel]\r\n" + line + "\r\n");
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.list->count(), 3);
        QCOMPARE(selectedCount(w), starts ? 3 : 0);
        if (starts)
            QVERIFY(fake.processEventsCalls >= 2);
        QVERIFY(listPreviews(w));
    }

    void firstRun_data()
    {
        QTest::addColumn<bool>("driveRoot");
        QTest::newRow("ordinary folder") << false;
        QTest::newRow("file-system root") << true;
    }

    void firstRun()
    {
        QFETCH(bool, driveRoot);
        if (driveRoot) {
            if (QFileInfo::exists(QStringLiteral("/Vivrel.INI")))
                QSKIP("this machine has a configuration file at the root");
            Paths::setExecutableForTesting(QStringLiteral("/"), QStringLiteral("Vivrel"));
        }
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.list->count(), driveRoot ? 0 : 3);
        QVERIFY(!w.viewer().isVisible());
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(mailDue(w, fake));
        QCOMPARE(rememberedFolder(w), driveRoot ? QStringLiteral("/") : exeDir());
    }

    void tools_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(MsgAnswer::Yes);
        QTest::newRow("no") << int(MsgAnswer::No);
    }

    void tools()
    {
        QFETCH(int, answer);
        const QString autorun = exeDir() + QStringLiteral("/AUTORUN.INF");
        const QByteArray edited = "[Vivrel]\r\n; edited by hand, and longer than what replaces "
                                  "it ......................................................."
                                  "........................................................\r\n";
        writeAll(iniFile(), edited);
        writeAll(autorun, edited);
        FakeSeams fake;
        fake.messageAnswers = {answer};
        frmVivrel w;
        MainControls(w).cmdTools->click();
        QVERIFY(!fake.messages.isEmpty());
        QCOMPARE(fake.messages[0].text, QStringLiteral("Create INI and AUTORUN Files ?"));
        QCOMPARE(fake.messages[0].style, MsgStyle::YesNo | MsgStyle::Question);
        QCOMPARE(fake.messages[0].title, QString());
        if (answer == MsgAnswer::No) {
            QCOMPARE(fake.messages.size(), 1);
            QCOMPARE(readAll(iniFile()), edited);
            QCOMPARE(readAll(autorun), edited);
            return;
        }
        QCOMPARE(readAll(iniFile()), kNineLines);
        QCOMPARE(readAll(autorun), kThreeLines);
        QCOMPARE(fake.messages.size(), 2);
        QCOMPARE(fake.messages[1].text, QStringLiteral("Files Created"));
        QCOMPARE(fake.messages[1].style, int(MsgStyle::Information));
        QCOMPARE(fake.messages[1].title, QString());
    }

    void toolsButtonIsConnected()
    {
        FakeSeams fake;
        fake.messageAnswers = {MsgAnswer::No};
        frmVivrel w;
        const MainControls c(w);
        c.cmdTools->click();
        QCOMPARE(fake.messages.size(), 1);
    }

    void toolsInAFolderThatCannotBeWritten()
    {
        // A folder below a regular file can never be written, whoever runs the test.
        writeAll(exeDir() + QStringLiteral("/plain"), "plain");
        const QString folder = exeDir() + QStringLiteral("/plain/bin");
        Paths::setExecutableForTesting(folder, QStringLiteral("Vivrel"));
        FakeSeams fake;
        frmVivrel w;
        MainControls(w).cmdTools->click();
        QCOMPARE(fake.messages.size(), 2);
        const FakeSeams::Message &failure = fake.messages[1];
        QCOMPARE(failure.style, int(MsgStyle::Critical));
        QVERIFY2(
            failure.text.contains(QDir::toNativeSeparators(folder + QStringLiteral("/Vivrel.INI"))),
            qPrintable(failure.text));
        // The reason follows the file's name.
        QVERIFY(failure.text.section(u'\n', 1).trimmed().size() > 0);
        QCOMPARE(readAll(exeDir() + QStringLiteral("/plain")), QByteArray("plain"));
    }

    void mediumWrittenByToolsStartsItsShow()
    {
        FakeSeams fake;
        {
            frmVivrel w;
            MainControls(w).cmdTools->click();
        }
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.chkFullScreen->value(), 1);
        QCOMPARE(c.chkRepeat->value(), 1);
        QCOMPARE(c.chkRandom->value(), 1);
        QCOMPARE(c.cmbFileType->currentIndex(), 0);
        QCOMPARE(c.Text1->text(), QStringLiteral("1.5"));
        QVERIFY(ViewerControls(w.viewer()).mnuStretch->isChecked());
        QVERIFY(ViewerControls(w.viewer()).mnuRetainShape->isChecked());
        QCOMPARE(c.list->count(), 3);
        QCOMPARE(selectedCount(w), 3);
        QCOMPARE(rememberedFolder(w), exeDir());
    }

    void configurationFileIsReadOnce_data()
    {
        QTest::addColumn<QString>("program");
        // Every value, the start included, comes from one reading.
        QTest::newRow("beside the program") << u"Vivrel"_s;
#ifndef Q_OS_WIN // hidden by its name
        // A hidden file is passed over, yet its start is acted on.
        QTest::newRow("hidden") << u".Vivrel"_s;
#endif
    }

    void configurationFileIsReadOnce()
    {
        QFETCH(QString, program);
        Paths::setExecutableForTesting(exeDir(), program);
        writeAll(exeDir() + u'/' + program + u".INI"_s,
                 '[' + program.toUtf8() + "]\r\nStart=1\r\n");
        static std::atomic<int> reads;
        reads = 0;
        Files::setStallForTests([](const QString &path) { reads += path.endsWith(u".INI"); });
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        Files::setStallForTests(nullptr);
        QCOMPARE(reads.load(), 1);
        QCOMPARE(selectedCount(w), 3);
    }

    void showStartReadsTheStoreAsItStands_data()
    {
        QTest::addColumn<bool>("startUpOver");
        // Start-up's reading of the store shows what the program itself saves meanwhile,
        QTest::newRow("saved during start-up") << false;
        // and once start-up is over, a show's start finds what another program wrote.
        QTest::newRow("written by another program later") << true;
    }

    void showStartReadsTheStoreAsItStands()
    {
        QFETCH(bool, startUpOver);
        const QString background = mPictures->path() + QStringLiteral("/bgd.bmp");
        TestTrees::writePicture(background, 20, 10, "BMP");
        storeAll({{u"mPath"_s, mPictures->path()}, {u"mFullScreen"_s, u"1"_s}});
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        if (startUpOver) {
#ifdef Q_OS_WIN
            QSKIP("the store is the registry there: no other program's file to write");
#endif
            QTest::qWait(1);
            const QString store = SettingsStore::open()->fileName();
            writeAll(store, readAll(store).replace(
                                "[Settings]\n",
                                "[Settings]\nmBgd=" + QFile::encodeName(background) + '\n'));
        } else {
            QVERIFY(SaveSetting(QStringLiteral("mBgd"), background));
        }
        MainControls(w).cmdStart->click();
        QCOMPARE(w.viewer().background().size(), QSize(20, 10));
    }

    void mediumStretchedWithoutRetainShapeFillsTheScreen()
    {
        writeAll(iniFile(), "[Vivrel]\r\nStart = 1\r\nFullScreen = 1\r\nRandom = 0\r\n"
                            "Stretch = 1\r\nRetainShape = 0\r\n");
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        frmPreview &v = w.viewer();
        QVERIFY(v.isVisible());
        QCOMPARE(v.caption(), QDir::toNativeSeparators(exeDir() + QStringLiteral("/a.jpg")));
        QVERIFY(slideSettled(w));
        QCOMPARE(ViewerControls(v).imgPreview->geometry(), v.rect());
        // What a user sees in the middle of the screen is the picture, not the black window.
        const QColor middle = v.grab().toImage().pixelColor(v.rect().center());
        QVERIFY2(qAbs(middle.red() - 0xff) < 12 && qAbs(middle.green() - 0x33) < 12 &&
                     qAbs(middle.blue() - 0x66) < 12,
                 qPrintable(middle.name()));
    }

    void unloadSavesAndEnds()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        c.Text1->setText(QStringLiteral("7"));
        w.viewer().show();
        c.Timer1->setEnabled(true);
        w.close();
        QCOMPARE(GetSetting(QStringLiteral("mInterval")), QStringLiteral("7"));
        QCOMPARE(GetSetting(QStringLiteral("mPath")), exeDir());
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
        // The viewer's close handling (which stops the show) did not run.
        QVERIFY(c.Timer1->isEnabled());
        QVERIFY(w.viewer().isVisible());
    }

    void closeRequestTakesTheUnloadPath()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        w.show();
        c.Text1->setText(QStringLiteral("5"));
        QVERIFY(w.close());
        QCOMPARE(GetSetting(QStringLiteral("mInterval")), QStringLiteral("5"));
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
    }

    void unwritableStoreStillEnds()
    {
#ifdef Q_OS_WIN
        QSKIP("a test cannot take write access to the registry store away");
#endif
        // A store folder below a regular file cannot be created.
        writeAll(mStore->path() + QStringLiteral("/plain"), "plain");
        TestSandbox::useSettingsStore(mStore->path() + QStringLiteral("/plain/store"));
        QVERIFY(!SaveSetting(QStringLiteral("probe"), QStringLiteral("x")));
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        w.close();
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
    }
};

VIVREL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
