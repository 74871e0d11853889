// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "catalogue/NaturalOrder.h"
#include "chrome/frmVivrel.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <QToolButton>
#include <functional>

#include "PortableSetup.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace TestTrees;

namespace {

#ifndef Q_OS_WIN
// Permissions and another user: POSIX matters (a fork, setuid, mode bits).
/**
 * Runs `scan` in a child process that cannot read what permissions forbid: as
 * ourselves, or, when the tests run as root (as CI does), as the unprivileged user
 * "nobody". Returns the child's exit code, or -1 when that cannot be arranged.
 */
int runUnprivileged(const std::function<int()> &scan)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        ::_exit(scan());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void openUpForOthers(const QString &root)
{
    // The child may run as another user: let it walk the tree, but nothing else.
    ::chmod(QFile::encodeName(root).constData(), 0755);
}
#endif

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

    QStringList listed(const frmVivrel &w)
    {
        const FileList *list = MainControls(w).list;
        QStringList out;
        for (qsizetype i = 0; i < list->count(); ++i)
            out << QDir::fromNativeSeparators(list->fullPath(i)); // "\\" on Windows
        return out;
    }

private slots:
    void typeFilter_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all") << 0 << QStringList{"a.jpg", "b.BMP", "c.gif", "xjpg"};
        QTest::newRow("jpg") << 1 << QStringList{"a.jpg", "xjpg"};
        QTest::newRow("bmp") << 2 << QStringList{"b.BMP"};
        QTest::newRow("gif") << 3 << QStringList{"c.gif"};
        QTest::newRow("none selected") << -1 << QStringList{};
    }

    void typeFilter()
    {
        QFETCH(int, selector);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        touch(dir.path(), {"a.jpg", "b.BMP", "c.gif", "d.jpeg", "e.png", "xjpg"});
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        c.cmbFileType->setCurrentIndex(selector);
        QVERIFY(w.DirSearch(dir.path()));
        QStringList names;
        for (qsizetype i = 0; i < c.list->count(); ++i) {
            names << c.list->text(i);
            QCOMPARE(c.list->folder(i), QDir::toNativeSeparators(dir.path() + u'/'));
        }
        QCOMPARE(names, expected);
    }

    void breadthFirstInNameOrder()
    {
        QTemporaryDir dir;
        touch(dir.path(), {"IMG_10.jpg", "IMG_2.jpg", "b/deep/z.gif", "a/IMG_1.jpg", "b/y.bmp",
                           "Zed.gif", "a/sub/k.jpg"});
        frmVivrel w;
        fillFileTypes(MainControls(w).cmbFileType);
        QVERIFY(w.DirSearch(dir.path() + u'/'));
        const QString r = dir.path() + u'/';
        QCOMPARE(listed(w),
                 (QStringList{r + "IMG_2.jpg", r + "IMG_10.jpg", r + "Zed.gif", r + "a/IMG_1.jpg",
                              r + "b/y.bmp", r + "a/sub/k.jpg", r + "b/deep/z.gif"}));
    }

    void skipsHiddenLinksAndSpecialFiles()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links, FIFOs, devices and dot names are POSIX rules (tst_windows walks "
              "attributes)");
#endif
        QTemporaryDir dir;
        const QString r = dir.path() + u'/';
        touch(dir.path(), {"ok.jpg", ".hidden.jpg", ".hid/in.jpg", "real/r.gif"});
        QDir().mkpath(r + "folder.jpg"); // a folder is never a picture
        QVERIFY(PortableSetup::makeFifo(r + "x.jpg"));
        QVERIFY(QFile::link(r + "ok.jpg", r + "link.jpg"));       // link to a file: listed
        QVERIFY(QFile::link(r + "gone.jpg", r + "dangling.jpg")); // dangling: skipped
        QVERIFY(QFile::link(r + "real", r + "linkdir"));          // link to a folder: not entered
        QVERIFY(QFile::link(r, r + "real/loop"));                 // a loop back to the top
        QVERIFY(QFile::link("/dev/null", r + "dev.gif"));         // a device: skipped
        frmVivrel w;
        fillFileTypes(MainControls(w).cmbFileType);
        QVERIFY(w.DirSearch(dir.path()));
        QCOMPARE(listed(w), (QStringList{r + "link.jpg", r + "ok.jpg", r + "real/r.gif"}));
    }

#ifndef Q_OS_WIN
    void unreadableSubfolderIsSkipped()
    {
        QTemporaryDir dir;
        touch(dir.path(), {"a.jpg", "locked/b.jpg", "open/c.jpg"});
        openUpForOthers(dir.path());
        ::chmod(QFile::encodeName(dir.path() + "/open").constData(), 0755);
        ::chmod(QFile::encodeName(dir.path() + "/locked").constData(), 0);
        const int code = runUnprivileged([&] {
            int listed = 0;
            DirScanner scanner(FileTypeCode::All, [&](const QString &, const QStringList &names) {
                listed += int(names.size());
            });
            const bool done = scanner.scan(dir.path()).ok();
            return done ? listed : 50;
        });
        ::chmod(QFile::encodeName(dir.path() + "/locked").constData(), 0700);
        QCOMPARE(code, 2); // a.jpg and open/c.jpg
    }
#endif

    void absentFolderListsNothingWithoutError()
    {
        FakeSeams fake;
        fake.folderAnswers.push_back(QStringLiteral("/no/such/folder/anywhere"));
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        MainControls(w).cmdDirList->click();
        QCOMPARE(c.list->count(), 0);
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(rememberedFolder(w), QStringLiteral("/no/such/folder/anywhere"));
    }

    void additiveKeepsAndRepeats()
    {
        QTemporaryDir dir;
        touch(dir.path(), {"one/a.jpg", "two/b.gif"});
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        QVERIFY(w.DirSearch(dir.path() + "/one"));
        c.chkAdditive->setValue(1);
        QVERIFY(w.DirSearch(dir.path() + "/two"));
        QVERIFY(w.DirSearch(dir.path() + "/two"));
        QCOMPARE(c.list->count(), 3);
        QCOMPARE(c.list->text(2), QStringLiteral("b.gif"));
        c.chkAdditive->setValue(0);
        QVERIFY(w.DirSearch(dir.path() + "/one"));
        QCOMPARE(c.list->count(), 1);
    }

    void folderButton()
    {
        QTemporaryDir dir;
        touch(dir.path(), {"a.jpg"});
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        fake.folderAnswers.push_back(QStringLiteral("/before")); // no such folder: lists nothing
        MainControls(w).cmdDirList->click();
        MainControls(w).cmdDirList->click(); // cancelled
        QCOMPARE(rememberedFolder(w), QStringLiteral("/before"));
        QCOMPARE(fake.folderTitles, QStringList(2, QStringLiteral("Tremallo Vivrel")));
        fake.folderAnswers.push_back(dir.path());
        MainControls(w).cmdDirList->click();
        QCOMPARE(rememberedFolder(w), dir.path());
        QCOMPARE(c.list->count(), 1);
        fake.folderAnswers.push_back(QString()); // cancelled again: the list stays
        MainControls(w).cmdDirList->click();
        QCOMPARE(c.list->count(), 1);
    }

#ifndef Q_OS_WIN
    void unreadableChosenFolderFails()
    {
        QTemporaryDir dir;
        touch(dir.path(), {"locked/b.jpg"});
        openUpForOthers(dir.path());
        ::chmod(QFile::encodeName(dir.path() + "/locked").constData(), 0);
        const int code = runUnprivileged([&] {
            DirScanner scanner(FileTypeCode::All, [](const QString &, const QStringList &){});
            const Result<> result = scanner.scan(dir.path() + "/locked");
            return !result && result.error() == Error::PermissionDenied ? 0 : 1;
        });
        ::chmod(QFile::encodeName(dir.path() + "/locked").constData(), 0700);
        QCOMPARE(code, 0);
    }
#endif

    void selectAllLargeListWithoutPreview()
    {
        // None of these files is there: every preview the list tries is a message.
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        QStringList names;
        for (int i = 0; i < 40000; ++i)
            names << QStringLiteral("p%1.jpg").arg(i);
        c.list->appendFolder(QStringLiteral("/pics/"), names);
        c.chkPreview->setValue(1);
        MainControls(w)
            .cmdSelectAll->click(); // opens the click preview at its end, as start-up does
        c.File1->setCurrentRow(0);
        QVERIFY(slideSettled(w));
        QCOMPARE(fake.messages.size(), 1); // the click preview is open

        int currentChanges = 0;
        connect(c.File1, &FileListView::currentRowChanged, this,
                [&](qsizetype) { ++currentChanges; });
        MainControls(w).cmdSelectAll->click();
        QVERIFY(currentChanges > 0);
        QVERIFY(!w.slidePending());
        QCOMPARE(fake.messages.size(), 1); // nothing previewed while selecting
        QVERIFY(c.File1->isSelected(0));
        QVERIFY(c.File1->isSelected(39999));
        QCOMPARE(c.File1->currentRow(), qsizetype(39999));
        QCOMPARE(c.list->fullPath(32768), QStringLiteral("/pics/p32768.jpg"));
        c.File1->setCurrentRow(1);
        QVERIFY(slideSettled(w));
        QCOMPARE(fake.messages.size(), 2); // and open again afterwards
    }

    void selectAllOnEmptyListMovesFocusOnly()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        MainControls(w).cmdSelectAll->click();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(c.cmdStart));
        // The click preview is open afterwards: a click on a missing file tries it.
        c.list->appendFolder(QStringLiteral("/pics/"), {QStringLiteral("gone.jpg")});
        c.File1->setCurrentRow(0);
        c.chkPreview->setValue(1);
        QVERIFY(slideSettled(w));
        QCOMPARE(fake.messages.size(), 1);
#ifdef Q_OS_WIN
        // Windows says it of the folder, which is not there either.
        QCOMPARE(fake.messages[0].text, QStringLiteral("Path not found"));
#else
        QCOMPARE(fake.messages[0].text, QStringLiteral("File not found"));
#endif
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("numbers") << "IMG_2.jpg"
                                 << "IMG_10.jpg";
        QTest::newRow("case") << "apple.jpg"
                              << "Banana.jpg";
        QTest::newRow("leading zeros equal value") << "a01.jpg"
                                                   << "a1.jpg";
        QTest::newRow("prefix") << "a.jpg"
                                << "a1.jpg";
        QTest::newRow("long numbers") << "x99999999999999999998"
                                      << "x99999999999999999999";
        QTest::newRow("number before letter") << "a9z"
                                              << "aaz";
        QTest::newRow("shorter number") << "img 999 b"
                                        << "img 1000 a";
        QTest::newRow("punctuation before number") << "a-.jpg"
                                                   << "a1.jpg";
        QTest::newRow("zeros, case and digits at once") << "IMG_007b.JPG"
                                                        << "img_7C.jpg";
        QTest::newRow("ASCII before other bytes") << "z.jpg"
                                                  << "\u00e9.jpg";
        QTest::newRow("254 digits before 255")
            << QString(254, u'9') << QStringLiteral("1") + QString(254, u'0');
    }

    void naturalOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        const std::string sa = a.toStdString();
        const std::string sb = b.toStdString();
        QVERIFY(naturalLess(sa, sb));
        QVERIFY(!naturalLess(sb, sa));
        QVERIFY(!naturalLess(sa, sa));
        // The sort keys of the scan agree with the comparison (ties fall to byte order).
        const std::string ka = naturalKey(sa);
        const std::string kb = naturalKey(sb);
        QVERIFY(ka < kb || (ka == kb && sa < sb));
    }
};

VIVREL_TEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
