// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folder trees that try to trap or swamp the scan: link loops, very deep and very
// wide trees, names the file system holds but no QString can carry.

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/Files.h"
#include "common/Paths.h"
#include "common/PictureLoader.h"
#include "config/CommandLine.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <climits>
#include <cstdio>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}
#endif

/** Full paths the scan lists below `root`, in its order. */
QStringList scan(const QString &root, bool *done = nullptr)
{
    QStringList out;
    DirScanner scanner(FileTypeCode::All, [&out](const QString &folder, const QStringList &names) {
        for (const QString &name : names)
            out << folder + name;
    });
    const bool walked = scanner.scan(root).ok();
    if (done)
        *done = walked;
    return out;
}

#ifndef Q_OS_WIN
/**
 * A temporary folder in memory where the system offers one: making a hundred thousand
 * files on some disks takes many seconds.
 */
QString quickTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/vivrel-trees-XXXXXX");
}
#endif

} // namespace

class TestHostileTrees : public QObject
{
    Q_OBJECT

private slots:
    void linkLoops()
    {
        QTemporaryDir dir;
        const QString r = dir.path();
        TestTrees::writeFile(r, QStringLiteral("a/b/pic.jpg"));
        TestTrees::writeFile(r, QStringLiteral("top.jpg"));
        QVERIFY(QFile::link(r, r + QStringLiteral("/a/b/up"))); // to the root
        QVERIFY(QFile::link(r + QStringLiteral("/a"), r + QStringLiteral("/a/b/back")));
        QVERIFY(QFile::link(r + QStringLiteral("/a/self"), r + QStringLiteral("/a/self")));
        QVERIFY(QFile::link(r + QStringLiteral("/x2.jpg"), r + QStringLiteral("/x1.jpg")));
        QVERIFY(QFile::link(r + QStringLiteral("/x1.jpg"), r + QStringLiteral("/x2.jpg")));
        QCOMPARE(scan(r),
                 QStringList({r + QStringLiteral("/top.jpg"), r + QStringLiteral("/a/b/pic.jpg")}));
    }

    // Made with POSIX calls (openat, names that are not valid in the file-name encoding);
    // a hundred thousand files would also take most of the run under Wine.
#ifndef Q_OS_WIN
    void deepTreeOnASmallStack()
    {
        // 1,500 nested folders, made relative to each other so no path gets long.
        QTemporaryDir dir(quickTemplate());
        const int depth = 1500;
        int fd = ::open(native(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        for (int i = 0; i < depth; ++i) {
            QVERIFY(::mkdirat(fd, "d", 0700) == 0);
            const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            QVERIFY(next >= 0);
            fd = next;
        }
        const int file = ::openat(fd, "bottom.jpg", O_WRONLY | O_CREAT, 0600);
        QVERIFY(file >= 0);
        ::close(file);
        ::close(fd);

        // A walk that recursed once per level would not fit in this stack.
        QStringList found;
        bool done = false;
        QThread *thread = QThread::create([&] { found = scan(dir.path(), &done); });
        thread->setStackSize(256 * 1024);
        thread->start();
        QVERIFY(thread->wait(QDeadlineTimer(60000)));
        delete thread;
        QVERIFY(done);
        QCOMPARE(found.size(), 1);
        QVERIFY(found[0].endsWith(QString(QStringLiteral("/d")).repeated(depth) +
                                  QStringLiteral("/bottom.jpg")));

        QDir(dir.path()).removeRecursively();
    }

    void namesOfAnyBytes()
    {
        // On Linux a name is bytes: every one is listed, found again by the same bytes,
        // and shown in a readable form.
        QTemporaryDir dir;
        const QByteArray r = native(dir.path());
        const QByteArray badFile = r + "/bad\xff\xfe.jpg";
        const QByteArray latinFolder = r + "/M\xfcnchen";
        QVERIFY(QFile::encodeName(QFile::decodeName(badFile)) != badFile); // Qt's own loses it
        QImage picture(7, 5, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPG");
        const auto write = [&jpeg](const QByteArray &path) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
            return fd >= 0 && ::write(fd, jpeg.constData(), size_t(jpeg.size())) == jpeg.size() &&
                   ::close(fd) == 0;
        };
        QVERIFY(write(badFile));
        QVERIFY(::mkdir(latinFolder.constData(), 0700) == 0);
        QVERIFY(write(latinFolder + "/inside.jpg"));
        QVERIFY(write(r + "/good.jpg"));

        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        FakeSeams &fake = s.fake;
        QVERIFY(s.listFolder(dir.path()));
        QCOMPARE(c.list->count(), 3);
        const QList<QByteArray> expected = {badFile, r + "/good.jpg", latinFolder + "/inside.jpg"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Paths::toNative(c.list->fullPath(i)), expected[i]);
            QVERIFY(Files::check(c.list->fullPath(i)));
            QVERIFY(PictureLoader::load(c.list->fullPath(i), PictureLoader::kShowLimits));
        }
        const QAbstractItemModel *model = c.File1->model();
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("bad\u00ff\u00fe.jpg"));
        QCOMPARE(model->data(model->index(2, 0), Qt::ToolTipRole).toString(),
                 dir.path() + QStringLiteral("/M\u00fcnchen/inside.jpg"));
        QVERIFY(fake.messages.isEmpty());

        // Named on the command line, or dropped, such a path is there as well.
        bool reported = false;
        const QStringList named =
            CommandLine::existingPaths({Paths::fromNative(badFile), Paths::fromNative(latinFolder)},
                                       [&reported](const QString &) { reported = true; });
        QVERIFY(!reported);
        QCOMPARE(named.size(), 2);
        s.w.openPaths(named);
        QCOMPARE(c.list->count(), 2);
        QCOMPARE(Paths::toNative(c.list->fullPath(1)), latinFolder + "/inside.jpg");
    }

    void bytesOfNamesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ascii") << QByteArray("a/b.jpg") << QStringLiteral("a/b.jpg");
        QTest::newRow("utf-8") << QByteArray("\xc3\xa9t\xc3\xa9")
                               << QStringLiteral("\u00e9t\u00e9");
        QTest::newRow("latin-1") << QByteArray("M\xfcnchen") << QStringLiteral("M\u00fcnchen");
        QTest::newRow("c1 control byte") << QByteArray("x\x85y") << QStringLiteral("x\ufffdy");
        QTest::newRow("cut sequence") << QByteArray("x\xe2\x82") << QStringLiteral("x\u00e2\ufffd");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\u00c0\u00af");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xb2\x80") << QStringLiteral("\u00ed\u00b2\ufffd");
        QTest::newRow("four bytes")
            << QByteArray("\xf0\x9f\x98\x80!") << QStringLiteral("\U0001F600!");
        QTest::newRow("beyond unicode")
            << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\u00f4\ufffd\ufffd\ufffd");
    }

    void bytesOfNamesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString text = Paths::fromNative(bytes);
        QCOMPARE(Paths::toNative(text), bytes);
        QCOMPARE(Paths::readable(text), shown);
    }

    void pathsLongerThanTheSystemTakes()
    {
        // Folders of 200-byte names, nested until the path is far beyond PATH_MAX, made
        // relative to each other; a picture at each level.
        QTemporaryDir dir(quickTemplate());
        const QByteArray name(200, 'n');
        int fd = ::open(native(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        qsizetype length = dir.path().size();
        int listable = 0;
        int tooLong = 0;
        for (int level = 0; level < 30; ++level) {
            const int file = ::openat(fd, "p.jpg", O_WRONLY | O_CREAT, 0600);
            QVERIFY(file >= 0);
            ::close(file);
            (length + 6 > PATH_MAX - 1 ? tooLong : listable) += 1;
            QVERIFY(::mkdirat(fd, name.constData(), 0700) == 0);
            const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            QVERIFY(next >= 0);
            fd = next;
            length += 1 + name.size();
        }
        ::close(fd);
        QVERIFY(tooLong > 5);

        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        FakeSeams &fake = s.fake;
        QVERIFY(s.listFolder(dir.path()));
        QCOMPARE(c.list->count(), listable);
        for (qsizetype i = 0; i < c.list->count(); ++i)
            QVERIFY(Files::check(c.list->fullPath(i)));
        // Told once, with how many and why.
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(expectMessage(fake,
                              QStringLiteral("%1 pictures were left out: their paths are longer "
                                             "than the system allows.")
                                  .arg(tooLong),
                              48, QStringLiteral("Vivrel")));
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir.path()});
    }

    void hundredThousandFilesInOneFolder()
    {
        QTemporaryDir dir(quickTemplate());
        const int count = 100000;
        const int fd = ::open(native(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        char name[32];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "f%d.jpg", i);
            const int file = ::openat(fd, name, O_WRONLY | O_CREAT, 0600);
            QVERIFY(file >= 0);
            ::close(file);
        }
        ::close(fd);

        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        FakeSeams &fake = s.fake;
        QVERIFY(s.listFolder(dir.path()));
        QCOMPARE(c.list->count(), count);
        // Natural order: f0, f1, ..., f9, f10, ...
        QCOMPARE(QFileInfo(c.list->fullPath(0)).fileName(), QStringLiteral("f0.jpg"));
        QCOMPARE(QFileInfo(c.list->fullPath(10)).fileName(), QStringLiteral("f10.jpg"));
        QCOMPARE(QFileInfo(c.list->fullPath(count - 1)).fileName(), QStringLiteral("f99999.jpg"));
        s.selectAll();
        QVERIFY(c.File1->isSelected(count - 1));
        QVERIFY(fake.messages.isEmpty());
    }
#endif
};

VIVREL_TEST_MAIN(TestHostileTrees)
#include "tst_trees.moc"
