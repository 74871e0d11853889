// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "catalogue/NaturalOrder.h"
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
using namespace Qt::StringLiterals;

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
        QTest::newRow("all") << 0 << QStringList{u"a.jpg"_s, u"b.BMP"_s, u"c.gif"_s, u"xjpg"_s};
        QTest::newRow("jpg") << 1 << QStringList{u"a.jpg"_s, u"xjpg"_s};
        QTest::newRow("bmp") << 2 << QStringList{u"b.BMP"_s};
        QTest::newRow("gif") << 3 << QStringList{u"c.gif"_s};
        QTest::newRow("none selected") << -1 << QStringList{};
    }

    void typeFilter()
    {
        QFETCH(int, selector);
        QFETCH(QStringList, expected);
        ShowFixture s(QStringList{});
        const QString dir = s.dir.path();
        touch(dir, {u"a.jpg"_s, u"b.BMP"_s, u"c.gif"_s, u"d.jpeg"_s, u"e.png"_s, u"xjpg"_s});
        s.c.cmbFileType->setCurrentIndex(selector);
        QVERIFY(s.listFolder(dir));
        QStringList names;
        for (qsizetype i = 0; i < s.c.list->count(); ++i) {
            names << s.c.list->text(i);
            QCOMPARE(s.c.list->folder(i), QDir::toNativeSeparators(dir + u'/'));
        }
        QCOMPARE(names, expected);
    }

    void breadthFirstInNameOrder()
    {
        ShowFixture s(QStringList{});
        const QString r = s.dir.path() + u'/';
        touch(r, {u"IMG_10.jpg"_s, u"IMG_2.jpg"_s, u"b/deep/z.gif"_s, u"a/IMG_1.jpg"_s,
                  u"b/y.bmp"_s, u"Zed.gif"_s, u"a/sub/k.jpg"_s});
        QVERIFY(s.listFolder(r));
        QCOMPARE(listed(s.w), (QStringList{r + u"IMG_2.jpg"_s, r + u"IMG_10.jpg"_s,
                                           r + u"Zed.gif"_s, r + u"a/IMG_1.jpg"_s, r + u"b/y.bmp"_s,
                                           r + u"a/sub/k.jpg"_s, r + u"b/deep/z.gif"_s}));
    }

    void skipsHiddenLinksAndSpecialFiles()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links, FIFOs, devices and dot names are POSIX rules (tst_windows walks "
              "attributes)");
#endif
        ShowFixture s(QStringList{});
        const QString r = s.dir.path() + u'/';
        touch(r, {u"ok.jpg"_s, u".hidden.jpg"_s, u".hid/in.jpg"_s, u"real/r.gif"_s});
        QDir().mkpath(r + u"folder.jpg"_s); // a folder is never a picture
        QVERIFY(PortableSetup::makeFifo(r + u"x.jpg"_s));
        QVERIFY(QFile::link(r + u"ok.jpg"_s, r + u"link.jpg"_s));       // link to a file: listed
        QVERIFY(QFile::link(r + u"gone.jpg"_s, r + u"dangling.jpg"_s)); // dangling: skipped
        QVERIFY(QFile::link(r + u"real"_s, r + u"linkdir"_s));  // link to a folder: not entered
        QVERIFY(QFile::link(r, r + u"real/loop"_s));            // a loop back to the top
        QVERIFY(QFile::link(u"/dev/null"_s, r + u"dev.gif"_s)); // a device: skipped
        QVERIFY(s.listFolder(s.dir.path()));
        QCOMPARE(listed(s.w),
                 (QStringList{r + u"link.jpg"_s, r + u"ok.jpg"_s, r + u"real/r.gif"_s}));
    }

#ifndef Q_OS_WIN
    void unreadableSubfolderIsSkipped()
    {
        QTemporaryDir dir;
        touch(dir.path(), {u"a.jpg"_s, u"locked/b.jpg"_s, u"open/c.jpg"_s});
        openUpForOthers(dir.path());
        ::chmod(QFile::encodeName(dir.path() + u"/open"_s).constData(), 0755);
        ::chmod(QFile::encodeName(dir.path() + u"/locked"_s).constData(), 0);
        const int code = runUnprivileged([&] {
            int listed = 0;
            DirScanner scanner(FileTypeCode::All, [&](const QString &, const QStringList &names) {
                listed += int(names.size());
            });
            const bool done = scanner.scan(dir.path()).ok();
            return done ? listed : 50;
        });
        ::chmod(QFile::encodeName(dir.path() + u"/locked"_s).constData(), 0700);
        QCOMPARE(code, 2); // a.jpg and open/c.jpg
    }
#endif

    void absentFolderListsNothingWithoutError()
    {
        ShowFixture s(QStringList{});
        QVERIFY(s.listFolder(u"/no/such/folder/anywhere"_s));
        QCOMPARE(s.c.list->count(), 0);
        QVERIFY(s.fake.messages.isEmpty());
        QCOMPARE(rememberedFolder(s.w), u"/no/such/folder/anywhere"_s);
    }

    void additiveKeepsAndRepeats()
    {
        ShowFixture s(QStringList{});
        const QString dir = s.dir.path();
        touch(dir, {u"one/a.jpg"_s, u"two/b.gif"_s});
        QVERIFY(s.listFolder(dir + u"/one"_s));
        s.c.chkAdditive->setValue(1);
        QVERIFY(s.listFolder(dir + u"/two"_s));
        QVERIFY(s.listFolder(dir + u"/two"_s));
        QCOMPARE(s.c.list->count(), 3);
        QCOMPARE(s.c.list->text(2), u"b.gif"_s);
        s.c.chkAdditive->setValue(0);
        QVERIFY(s.listFolder(dir + u"/one"_s));
        QCOMPARE(s.c.list->count(), 1);
    }

    void folderButton()
    {
        ShowFixture s(QStringList{});
        touch(s.dir.path(), {u"a.jpg"_s});
        const MainControls &c = s.c;
        s.fake.folderAnswers.push_back(u"/before"_s); // no such folder: lists nothing
        c.cmdDirList->click();
        c.cmdDirList->click(); // cancelled
        QCOMPARE(rememberedFolder(s.w), u"/before"_s);
        QCOMPARE(s.fake.folderTitles, QStringList(2, u"Tremallo Vivrel"_s));
        s.fake.folderAnswers.push_back(s.dir.path());
        c.cmdDirList->click();
        QCOMPARE(rememberedFolder(s.w), s.dir.path());
        QCOMPARE(c.list->count(), 1);
        s.fake.folderAnswers.push_back(QString()); // cancelled again: the list stays
        c.cmdDirList->click();
        QCOMPARE(c.list->count(), 1);
    }

#ifndef Q_OS_WIN
    void unreadableChosenFolderFails()
    {
        QTemporaryDir dir;
        touch(dir.path(), {u"locked/b.jpg"_s});
        openUpForOthers(dir.path());
        ::chmod(QFile::encodeName(dir.path() + u"/locked"_s).constData(), 0);
        const int code = runUnprivileged([&] {
            DirScanner scanner(FileTypeCode::All, [](const QString &, const QStringList &){});
            const Result<> result = scanner.scan(dir.path() + u"/locked"_s);
            return !result && result.error() == Error::PermissionDenied ? 0 : 1;
        });
        ::chmod(QFile::encodeName(dir.path() + u"/locked"_s).constData(), 0700);
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
