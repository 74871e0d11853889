// Folder trees that try to trap or swamp the scan: link loops, very deep and very
// wide trees, names the file system holds but no QString can carry.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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

    void namesThatDoNotDecode()
    {
        // A name that is not valid in the file-name encoding comes back from decoding
        // as a different name, which then opens nothing; the scan leaves such names
        // out, and the folders under them.
        QTemporaryDir dir;
        const QByteArray r = native(dir.path());
        const QByteArray badFile = r + "/bad\xff\xfe.jpg";
        const QByteArray badFolder = r + "/f\xc3(";
        QVERIFY(QFile::encodeName(QFile::decodeName(badFile)) != badFile);
        QVERIFY(::close(::open(badFile.constData(), O_WRONLY | O_CREAT, 0600)) == 0);
        QVERIFY(::mkdir(badFolder.constData(), 0700) == 0);
        QVERIFY(::close(::open((badFolder + "/inside.jpg").constData(), O_WRONLY | O_CREAT,
                               0600)) == 0);
        TestTrees::writeFile(dir.path(), QStringLiteral("good.jpg"));
        TestTrees::writeFile(dir.path(), QStringLiteral("ünïcödé.jpg"));
        const QStringList found = scan(dir.path());
        QCOMPARE(found, QStringList({dir.path() + QStringLiteral("/good.jpg"),
                                     dir.path() + QStringLiteral("/ünïcödé.jpg")}));
        for (const QString &path : found)
            QVERIFY(QFileInfo::exists(path));
        // Qt cannot name these either, so they go the way they came.
        ::unlink((badFolder + "/inside.jpg").constData());
        ::rmdir(badFolder.constData());
        ::unlink(badFile.constData());
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

        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        TestTrees::fillFileTypes(c.cmbFileType);
        QVERIFY(w.DirSearch(dir.path()));
        QCOMPARE(c.list->count(), count);
        // Natural order: f0, f1, ..., f9, f10, ...
        QCOMPARE(QFileInfo(c.list->fullPath(0)).fileName(), QStringLiteral("f0.jpg"));
        QCOMPARE(QFileInfo(c.list->fullPath(10)).fileName(), QStringLiteral("f10.jpg"));
        QCOMPARE(QFileInfo(c.list->fullPath(count - 1)).fileName(), QStringLiteral("f99999.jpg"));
        w.cmdSelectAll_Click();
        QVERIFY(c.File1->isSelected(count - 1));
        QVERIFY(fake.messages.isEmpty());
    }
#endif
};

VIVREL_TEST_MAIN(TestHostileTrees)
#include "tst_trees.moc"
