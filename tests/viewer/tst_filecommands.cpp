// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/Module1.h"
#include "config/SettingsStore.h"
#include "viewer/OpenFileDlg.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include <memory>

using namespace TestTrees;
using namespace Qt::StringLiterals;

namespace {

// Home, trash and caches of this test run, and its current folder.
QString gSandbox;

QString trashFiles()
{
#ifdef Q_OS_WIN
    // The recycle bin; under Wine the Unix desktop's trash, which CTest names.
    const QString wine = qEnvironmentVariable("VIVREL_WINE_TRASH");
    return wine.isEmpty() ? QString() : wine + QStringLiteral("/files");
#else
    return gSandbox + QStringLiteral("/data/Trash/files");
#endif
}

constexpr QRgb kQuarters[] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00};

/** A running full-screen show of three pictures; picture i is 100 + 10 i wide. */
struct Show : ShowFixture
{
    /** With `firstBig`, p0 is a 2000 x 1500 picture in four quarters (kQuarters). */
    explicit Show(bool firstBig = false) : ShowFixture(pictureNames(3), {100, 60})
    {
        // Spelt as the program's own start spells it.
        Module1::mTempPath() = QDir::toNativeSeparators(temp.path() + u'/');
        OpenFileDlg::resetForTesting();
        if (firstBig)
            writeAll(path(0), quarteredJpeg(QSize(2000, 1500), kQuarters));
        selectAll();
        c.chkFullScreen->setValue(1);
        typeInterval(QStringLiteral("30")); // no tick comes during a test
        start();
        waitForSlide(w);
    }

    QStringList workingFiles() const { return QDir(temp.path()).entryList(QDir::Files); }

    QTemporaryDir &pictures = dir;
    QTemporaryDir temp;
};

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { gSandbox = TestSandbox::path(); }

    void openCopiesAndPauses()
    {
        Show s;
        QVERIFY(s.c.Timer1->isEnabled());
        s.v().mnuOpen->trigger();
        const QString copy = s.temp.path() + QStringLiteral("/Tremallo.jpg");
        QCOMPARE(s.fake.shellTargets, QStringList{QDir::toNativeSeparators(copy)});
        QCOMPARE(readAll(copy), readAll(s.path(0)));
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(s.v().mnuPause->isChecked());
        QVERIFY(s.fake.messages.isEmpty());

        // A second JPEG replaces the copy; nothing else is left behind.
        s.v().mnuNext->trigger();
        s.v().mnuOpen->trigger();
        QCOMPARE(s.fake.shellTargets.size(), 2);
        QCOMPARE(s.workingFiles(), QStringList{u"Tremallo.jpg"_s});
        QCOMPARE(readAll(copy), readAll(s.path(1)));
        QVERIFY(!s.c.Timer1->isEnabled());
    }

    void openWorkingCopy_data()
    {
        QTest::addColumn<QString>("file");    // created below the pictures folder
        QTest::addColumn<QString>("caption"); // %1 is the pictures folder
        QTest::addColumn<QString>("copy");    // the copy opened, or "" when it must fail
        QTest::newRow("four-letter extension") << "beach.jpeg"
                                               << "%1/beach.jpeg"
                                               << "Tremallo.peg";
        QTest::newRow("deleted meanwhile") << ""
                                           << "%1/gone.jpg"
                                           << "";
        QTest::newRow("separator in the last three") << "xx/ab"
                                                     << "%1/xx/ab"
                                                     << "";
        QTest::newRow("shorter than three") << ""
                                            << "ab"
                                            << "";
    }

    void openWorkingCopy()
    {
        QFETCH(QString, file);
        QFETCH(QString, caption);
        QFETCH(QString, copy);
        Show s;
        if (!file.isEmpty())
            writeFile(s.pictures.path(), file, "picture bytes");
        // Where a copy named by a separator would otherwise land.
        const QDir stray(s.temp.path() + QStringLiteral("/Tremallo."));
        QVERIFY(stray.mkpath(QStringLiteral(".")));
        s.viewer().setCaption(caption.contains(u'%') ? caption.arg(s.pictures.path()) : caption);
        s.v().mnuOpen->trigger();

        QVERIFY(!s.c.Timer1->isEnabled()); // paused whether or not it opened
        QVERIFY(s.v().mnuPause->isChecked());
        if (copy.isEmpty()) {
            QCOMPARE(s.fake.messages.size(), 1);
            QCOMPARE(s.fake.messages[0].style, 16);
            QCOMPARE(s.fake.messages[0].title, Module1::programTitle());
            QVERIFY(!s.fake.messages[0].text.isEmpty());
            QVERIFY(s.fake.shellTargets.isEmpty());
            QVERIFY(s.workingFiles().isEmpty());
            QVERIFY(stray.isEmpty());
        } else {
            QVERIFY(s.fake.messages.isEmpty());
            const QString expected = s.temp.path() + u'/' + copy;
            QCOMPARE(s.fake.shellTargets, QStringList{QDir::toNativeSeparators(expected)});
            QCOMPARE(readAll(expected), QByteArray("picture bytes"));
        }
    }

    void deleteAnsweredNoKeepsTheFile()
    {
        Show s;
        s.fake.messageAnswers = {MsgAnswer::No};
        s.v().mnuDelete->trigger();
        QCOMPARE(s.fake.messages.size(), 1);
        QCOMPARE(s.fake.messages[0].text, QStringLiteral("Delete ") + s.path(0) + u'?');
        QCOMPARE(s.fake.messages[0].title, QStringLiteral("Delete File"));
        QCOMPARE(s.fake.messages[0].style, 20); // Yes/No, critical, Yes the default
        QVERIFY(QFile::exists(s.path(0)));
    }

    void deleteMovesTheFileToTheTrash()
    {
        Show s;
        const QByteArray before = readAll(s.path(0));
        s.v().mnuDelete->trigger();
        QCOMPARE(s.fake.messages.size(), 1);
        QVERIFY(!QFile::exists(s.path(0)));
        if (trashFiles().isEmpty())
            QSKIP("the recycle bin is not a folder a test can look into");
        QCOMPARE(readAll(trashFiles() + QStringLiteral("/p0.jpg")), before);
        // The slide stays, and so does the show.
        QVERIFY(s.viewer().isVisible());
        QCOMPARE(s.viewerShows(), 0);
        QCOMPARE(s.viewer().caption(), s.path(0));
        QVERIFY(s.c.Timer1->isEnabled());
        QFile::remove(trashFiles() + QStringLiteral("/p0.jpg"));
    }

    void deleteRemovesThePathAskedAbout()
    {
        Show s;
        // The show steps on while the question is open.
        Seams stepping = seams();
        stepping.showMessage = [&s](const QString &, int, const QString &) {
            s.tick();
            return int(MsgAnswer::Yes);
        };
        ScopedSeams scope(stepping);
        s.v().mnuDelete->trigger();
        QCOMPARE(s.viewer().caption(), s.path(1));
        QVERIFY(!QFile::exists(s.path(0)));
        QVERIFY(QFile::exists(s.path(1)));
        QFile::remove(trashFiles() + QStringLiteral("/p0.jpg"));
    }

    void deleteWithoutATrashAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no: kept") << int(MsgAnswer::No);
        QTest::newRow("yes: deleted for good") << int(MsgAnswer::Yes);
    }

    void deleteWithoutATrashAsksFirst()
    {
        QFETCH(int, answer);
#ifdef Q_OS_WIN
        QSKIP("every Windows drive has its recycle bin: no data folder decides it");
#endif
        Show s;
        // The data folder is a file: there is no trash to be had.
        const QString blocked = gSandbox + QStringLiteral("/blocked");
        writeFile(gSandbox, QStringLiteral("blocked"));
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", blocked.toLocal8Bit());
        s.fake.messageAnswers = {MsgAnswer::Yes, answer};
        s.v().mnuDelete->trigger();
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(s.fake.messages.size(), 2); // the question, then the second one
        const FakeSeams::Message &again = s.fake.messages[1];
        QCOMPARE(again.text, QStringLiteral("Cannot move ") + s.path(0) +
                                 QStringLiteral(" to the trash. Delete it permanently?"));
        QCOMPARE(again.title, QStringLiteral("Delete File"));
        QCOMPARE(again.style, 4 + 48 + 256); // Yes/No, warning, No the default
        QCOMPARE(QFile::exists(s.path(0)), answer != MsgAnswer::Yes);
        QVERIFY(!QFile::exists(trashFiles() + QStringLiteral("/p0.jpg")));
        QVERIFY(
            !QFileInfo::exists(QDir::currentPath() + QStringLiteral("/files"))); // not moved aside
        // Either way the slide stays on screen and the show runs on.
        QCOMPARE(s.viewerShows(), 0);
        QVERIFY(s.c.Timer1->isEnabled());
    }

    void deletedSlideStillStretchesWhole()
    {
        // Larger than the screen: at natural size only the part on screen is decoded.
        Show s(true);
        PictureElement *element = s.v().imgPreview;
        QVERIFY(element->width() > s.viewer().width() - 1); // cut to the window
        QVERIFY(!element->picture().isWhole());
        s.v().mnuDelete->trigger();
        QVERIFY(!QFile::exists(s.path(0)));
        // Stretched, the whole picture fills the window: its four quarters, not its corner.
        s.v().mnuStretch->trigger();
        QCOMPARE(QSizeF(element->width(), element->height()),
                 QSizeF(s.viewer().width(), s.viewer().height()));
        const QImage grab = element->grab().toImage();
        const QSize size = grab.size() / grab.devicePixelRatio();
        for (int i = 0; i < 4; ++i) {
            const QPoint at((i % 2 * 2 + 1) * size.width() / 4,
                            (i / 2 * 2 + 1) * size.height() / 4);
            const QRgb seen = grab.pixel(at * grab.devicePixelRatio());
            QVERIFY2(nearColour(seen, kQuarters[i]), qPrintable(QString::number(seen, 16)));
        }
        QFile::remove(trashFiles() + QStringLiteral("/p0.jpg"));
    }

    void deleteFailureIsReported_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("already gone") << false;
        QTest::newRow("read-only folder") << true;
    }

    void deleteFailureIsReported()
    {
        QFETCH(bool, readOnlyFolder);
        Show s;
        const QString folder = s.pictures.path();
        if (readOnlyFolder) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            if (QFileInfo(folder).isWritable()) {
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("permissions do not bind this user");
            }
        } else {
            QVERIFY(QFile::remove(s.path(0)));
        }
        s.v().mnuDelete->trigger();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(s.fake.messages.size(), 2);
        const FakeSeams::Message &report = s.fake.messages[1];
        QCOMPARE(report.style, 16);
        QVERIFY(report.text.contains(s.path(0)));
        QVERIFY(!report.text.endsWith(QStringLiteral(": "))); // with the reason
        QCOMPARE(QFile::exists(s.path(0)), readOnlyFolder);
        QVERIFY(s.viewer().isVisible());
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.viewerShows(), 0);
    }

    void chooserFilters_data()
    {
        QTest::addColumn<QString>("nulSeparated");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("background")
            << QStringLiteral("Background\0*.jpg;*.bmp\0All Files\0*.*\0\0")
            << QStringList{u"Background (*.jpg *.bmp)"_s, u"All Files (*)"_s};
        QTest::newRow("no closing NUL")
            << QStringLiteral("Gif\0*.gif\0Other") << QStringList{u"Gif (*.gif)"_s};
    }

    void chooserFilters()
    {
        QFETCH(QString, nulSeparated);
        QFETCH(QStringList, filters);
        QCOMPARE(OpenFileDlg::chooserFilters(nulSeparated), filters);
    }

    void backgroundCancelledChangesNothing()
    {
        Show s;
        const QString old = s.pictures.path() + QStringLiteral("/old.bmp");
        writePicture(old, 40, 30, "bmp");
        QVERIFY(SettingsStore::SaveSetting(QStringLiteral("mBgd"), old));
        s.start(); // a show's start puts the stored background up
        QCOMPARE(s.viewer().background().size(), QSize(40, 30));

        s.v().mnuBackground->trigger(); // no answer: cancelled
        QCOMPARE(s.fake.offeredFilters, QStringList{u"Background (*.jpg *.bmp)"_s});
        QCOMPARE(SettingsStore::GetSetting(QStringLiteral("mBgd")), old);
        QCOMPARE(s.viewer().background().size(), QSize(40, 30));
    }

    void backgroundChosenIsStoredAndShown()
    {
        Show s;
        const QString chosen = s.pictures.path() + QStringLiteral("/bgd.bmp");
        writePicture(chosen, 50, 40, "bmp");
        s.fake.fileAnswers = {{chosen, QString()}};
        s.v().mnuBackground->trigger();
        QCOMPARE(SettingsStore::GetSetting(QStringLiteral("mBgd")), chosen);
        QCOMPARE(s.viewer().background().size(), QSize(50, 40));
    }

    void nonPictureKeepsBackgroundAndItsFilterIsOfferedNext()
    {
        Show s;
        const QString picture = s.pictures.path() + QStringLiteral("/bgd.bmp");
        const QString text = s.pictures.path() + QStringLiteral("/notes.txt");
        writePicture(picture, 50, 40, "bmp");
        writeFile(s.pictures.path(), QStringLiteral("notes.txt"), "not a picture");
        s.fake.fileAnswers = {{picture, QString()}, {text, QStringLiteral("All Files (*)")}};
        s.v().mnuBackground->trigger();
        s.v().mnuBackground->trigger();
        QCOMPARE(SettingsStore::GetSetting(QStringLiteral("mBgd")), text);
        QCOMPARE(s.viewer().background().size(), QSize(50, 40));
        QVERIFY(s.viewer().isVisible());

        s.v().mnuBackground->trigger(); // cancelled
        QCOMPARE(s.fake.offeredFilters,
                 (QStringList{u"Background (*.jpg *.bmp)"_s, u"Background (*.jpg *.bmp)"_s,
                              u"All Files (*)"_s}));
    }

    void backgroundIsDrawnBehindTheSlide()
    {
        Show s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        const QString bgd = s.pictures.path() + QStringLiteral("/bgd.bmp");
        const QString slide = s.pictures.path() + QStringLiteral("/more/slide.bmp");
        writePicture(bgd, v.width() / 2, v.height() / 2 + 20, "bmp", 0xff0000);
        writePicture(slide, 60, 40, "bmp", 0x0000ff);
        s.fake.fileAnswers = {{bgd, QString()}};
        vc.mnuBackground->trigger();

        // Spread over the window with no picture yet: the background shows through.
        vc.imgPreview->clearPicture();
        v.DoStretch();
        QImage shot = v.grab().toImage();
        QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(v.width() - 5, v.height() - 5), QColor(Qt::black));

        // A slide at natural size is centred over it, in front.
        vc.mnuStretch->setChecked(false);
        ShowFixture::tickBox(s.c.chkAdditive, true);
        QVERIFY(s.listFolder(QFileInfo(slide).path()));
        s.select({3});
        s.start();
        QVERIFY(slideSettled(s.w));
        shot = v.grab().toImage();
        QCOMPARE(shot.pixelColor(v.width() / 2, v.height() / 2), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(v.width() / 2 - 40, v.height() / 2), QColor(Qt::red));
    }
};

VIVREL_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
