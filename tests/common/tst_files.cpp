// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the program counts as a file it may read, and how it replaces one.

#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "common/FileStamp.h"
#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

using TestTrees::readAll;
using TestTrees::writeAll;

namespace {

#ifndef Q_OS_WIN
/** What happens to a file between two looks at its stamp. */
enum class Change { None, Read, RewrittenInPlace, ReplacedByRename, Removed };

/** Puts the modification and access times of `path` back to `st`'s. */
void putTimesBack(const QString &path, const struct stat &st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

/** A memory file system of its own on a temporary folder, while the object lives. */
class OtherFileSystem
{
public:
    OtherFileSystem()
    {
        if (::mount("vivrel-trash", QFile::encodeName(mDir.path()).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV, "size=1m,mode=0755") == 0)
            mMounted = true;
        else
            mReason = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~OtherFileSystem()
    {
        if (mMounted)
            ::umount2(QFile::encodeName(mDir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mMounted; }
    QString reason() const { return mReason; }
    QString top() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
    bool mMounted = false;
    QString mReason;
};

/** What stands at the top of a file system in the place of the shared trash. */
enum class SharedTrash { None, Sticky, NotSticky, Link };
#endif

template <typename T> QString describe(const Result<T> &result)
{
    return result ? QString() : errorText(result.error());
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString at(QAnyStringView name) const { return mDir.path() + u'/' + name.toString(); }

private slots:
    void initTestCase()
    {
        writeAll(at("plain.txt"), "plain");
        writeAll(at(".hidden"), "hidden");
        QVERIFY(QFile::link(at("plain.txt"), at("link")));
        QVERIFY(QFile::link(at("nowhere"), at("dangling")));
        QVERIFY(QDir(mDir.path()).mkdir(QStringLiteral("folder")));
        if (PortableSetup::kHasFifos)
            QVERIFY(PortableSetup::makeFifo(at("fifo")));
    }

    void readRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("rules");
        QTest::addColumn<QString>("error");
        const int none = 0;
        QTest::newRow("regular file") << at("plain.txt") << none << "";
#ifndef Q_OS_WIN // links, dot names as hidden, FIFOs and devices: POSIX matters
        QTest::newRow("link to one") << at("link") << none << "";
        QTest::newRow("link, links refused") << at("link") << int(Files::NoLinks) << "Not a file";
        QTest::newRow("hidden") << at(".hidden") << none << "";
        QTest::newRow("hidden, hidden refused")
            << at(".hidden") << int(Files::NoHidden) << "Not a file";
#endif
        QTest::newRow("plain file, links and hidden refused")
            << at("plain.txt") << int(Files::NoLinks | Files::NoHidden) << "";
#ifndef Q_OS_WIN
        QTest::newRow("fifo, without blocking") << at("fifo") << none << "Not a file";
        QTest::newRow("device") << QStringLiteral("/dev/null") << none << "Not a file";
#endif
        QTest::newRow("folder") << at("folder") << none << "Not a file";
        QTest::newRow("missing") << at("missing") << none << "File not found";
#ifndef Q_OS_WIN
        QTest::newRow("dangling link") << at("dangling") << none << "File not found";
#endif
        QTest::newRow("below a file") << at("plain.txt/x") << none << "Path not found";
        QTest::newRow("NUL in the name")
            << at("plain.txt") + QChar(0) + u'x' << none << "Bad file name";
        QTest::newRow("empty name") << QString() << none << "File not found";
    }

    void readRules()
    {
        QFETCH(QString, path);
        QFETCH(int, rules);
        QFETCH(QString, error);
        // Looking and opening judge alike; what opens reads.
        QCOMPARE(describe(Files::check(path, Files::Rules(rules))), error);
        QFile file;
        QCOMPARE(describe(Files::openForReading(path, file, Files::Rules(rules))), error);
        const Result<QByteArray> content = Files::read(path, 3, Files::Rules(rules));
        QCOMPARE(describe(content), error);
        if (content)
            QCOMPARE(content->size(), 3);
    }

    void replaceKeepsPermissions()
    {
#ifdef Q_OS_WIN
        QSKIP("mode bits: Windows keeps a read-only mark only");
#endif
        const QString file = at("kept.ini");
        const QByteArray native = QFile::encodeName(file);
        writeAll(file, "old");
        QCOMPARE(::chmod(native.constData(), 0604), 0);
        QVERIFY(Files::replace(file, "new"));
        QCOMPARE(readAll(file), QByteArray("new"));
        struct stat st;
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0604));
    }

    void trashOfTheFileSystem_data()
    {
#ifdef Q_OS_WIN
        QSKIP("the freedesktop trash of POSIX systems; Windows has its recycle bin");
#else
        QTest::addColumn<int>("shared");
        QTest::addColumn<bool>("ownBlocked"); // a file where the user's own trash would be
        QTest::addColumn<QString>("trash");   // below the top; empty: refused
        const QString uid = QString::number(::getuid());
        const QString own = QStringLiteral(".Trash-") + uid;
        const QString shared = QStringLiteral(".Trash/") + uid;
        QTest::newRow("fresh file system") << int(SharedTrash::None) << false << own;
        QTest::newRow("shared trash") << int(SharedTrash::Sticky) << false << shared;
        QTest::newRow("shared trash, own blocked") << int(SharedTrash::Sticky) << true << shared;
        // Anyone could have made these: they are passed over.
        QTest::newRow("shared, not sticky") << int(SharedTrash::NotSticky) << false << own;
        QTest::newRow("shared, a link") << int(SharedTrash::Link) << false << own;
        QTest::newRow("no trash to be had") << int(SharedTrash::None) << true << QString();
        QTest::newRow("shared a link, own blocked") << int(SharedTrash::Link) << true << QString();
#endif
    }

    void trashOfTheFileSystem()
    {
#ifdef Q_OS_WIN
        QSKIP("the freedesktop trash of POSIX systems; Windows has its recycle bin");
#else
        QFETCH(int, shared);
        QFETCH(bool, ownBlocked);
        QFETCH(QString, trash);
        OtherFileSystem disk;
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a file system of the test's own: ") +
                             disk.reason()));
        const QString top = disk.top();
        QVERIFY(QDir(top).mkpath(QStringLiteral("sub")));
        const QString file = top + QStringLiteral("/sub/x y.jpg");
        writeAll(file, "picture");
        const QString sharedPath = top + QStringLiteral("/.Trash");
        switch (SharedTrash(shared)) {
        case SharedTrash::None:
            break;
        case SharedTrash::Sticky:
        case SharedTrash::NotSticky:
            QVERIFY(QDir(top).mkdir(QStringLiteral(".Trash")));
            QCOMPARE(::chmod(QFile::encodeName(sharedPath).constData(),
                             SharedTrash(shared) == SharedTrash::Sticky ? 01777 : 0777),
                     0);
            break;
        case SharedTrash::Link:
            QVERIFY(QDir(top).mkdir(QStringLiteral("elsewhere")));
            QCOMPARE(
                ::chmod(QFile::encodeName(top + QStringLiteral("/elsewhere")).constData(), 01777),
                0);
            QVERIFY(QFile::link(top + QStringLiteral("/elsewhere"), sharedPath));
            break;
        }
        if (ownBlocked)
            writeAll(top + QStringLiteral("/.Trash-") + QString::number(::getuid()), "");

        const Result<> moved = Files::moveToTrash(file);
        if (trash.isEmpty()) {
            QVERIFY(!moved);
            QCOMPARE(moved.error(), Error::NoTrash);
            QCOMPARE(readAll(file), QByteArray("picture"));
            // Never copied to the home's trash across file systems.
            QVERIFY(
                !QFile::exists(TestSandbox::path() + QStringLiteral("/data/Trash/files/x y.jpg")));
            return;
        }
        QVERIFY2(moved, qPrintable(describe(moved)));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(readAll(top + u'/' + trash + QStringLiteral("/files/x y.jpg")),
                 QByteArray("picture"));
        // Told relative to the top, so the note holds wherever the disk is mounted next.
        const QByteArray info =
            readAll(top + u'/' + trash + QStringLiteral("/info/x y.jpg.trashinfo"));
        QVERIFY2(info.startsWith("[Trash Info]\nPath=sub/x%20y.jpg\nDeletionDate="),
                 info.constData());
        QFileInfo folder(top + u'/' + trash);
        QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::WriteOther),
                 QFile::Permissions());
#endif
    }

    void homeTrashKeepsEveryVersion()
    {
#ifdef Q_OS_WIN
        QSKIP("the freedesktop trash of POSIX systems; Windows has its recycle bin");
#else
        // Two files of one name, one after the other: both kept, under names of their own.
        const QString trash = TestSandbox::path() + QStringLiteral("/data/Trash");
        const QString name = QStringLiteral("tw\xc3\xadce.jpg");
        for (const QByteArray &content : {QByteArray("first"), QByteArray("second")}) {
            writeAll(at(name), content);
            const Result<> moved = Files::moveToTrash(at(name));
            QVERIFY2(moved, qPrintable(describe(moved)));
            QVERIFY(!QFile::exists(at(name)));
        }
        QCOMPARE(readAll(trash + QStringLiteral("/files/") + name), QByteArray("first"));
        QCOMPARE(readAll(trash + QStringLiteral("/files/") + name + QStringLiteral(".2")),
                 QByteArray("second"));
        const QByteArray info =
            readAll(trash + QStringLiteral("/info/") + name + QStringLiteral(".2.trashinfo"));
        const QByteArray absolute = QFile::encodeName(at(name)).toPercentEncoding("/");
        QVERIFY2(info.contains("\nPath=" + absolute + '\n'), info.constData());
        QCOMPARE(Files::moveToTrash(at(name)).error(), Error::FileNotFound);
#endif
    }

    void removeForGoodTakesTheLinkNotTheFile()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links are shell shortcuts under Wine");
#else
        writeAll(at("kept.jpg"), "kept");
        QVERIFY(QFile::link(at("kept.jpg"), at("gone.jpg")));
        QVERIFY(Files::removeForGood(at("gone.jpg")));
        QVERIFY(!QFileInfo(at("gone.jpg")).isSymLink());
        QCOMPARE(readAll(at("kept.jpg")), QByteArray("kept"));
        QCOMPARE(Files::removeForGood(at("folder")).error(), Error::NotAFile);
        QCOMPARE(Files::removeForGood(at("nothing.jpg")).error(), Error::FileNotFound);
#endif
    }

    void stampTellsVersionsApart_data()
    {
#ifdef Q_OS_WIN
        QSKIP("file times put back with utimensat, a POSIX call");
#else
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("same");
        QTest::newRow("untouched") << int(Change::None) << true;
        QTest::newRow("read") << int(Change::Read) << true;
        // Same size, and the times put back as a careless tool or a hostile one might.
        QTest::newRow("rewritten in place") << int(Change::RewrittenInPlace) << false;
        QTest::newRow("replaced by rename") << int(Change::ReplacedByRename) << false;
        QTest::newRow("removed") << int(Change::Removed) << false;
#endif
    }

    void stampTellsVersionsApart()
    {
#ifdef Q_OS_WIN
        QSKIP("file times put back with utimensat, a POSIX call");
#else
        QFETCH(int, change);
        QFETCH(bool, same);
        const QString path = at(QStringLiteral("stamped.jpg"));
        writeAll(path, "first version");
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        const FileStamp stamp = FileStamp::of(path);
        QVERIFY(stamp.exists);
        // The kernel's clock for file times moves in ticks of a few milliseconds.
        QThread::msleep(20);
        switch (Change(change)) {
        case Change::None:
            break;
        case Change::Read:
            QCOMPARE(readAll(path), QByteArray("first version"));
            break;
        case Change::RewrittenInPlace: {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite)); // no truncation: the same file
            QCOMPARE(file.write("other version"), qint64(13));
            file.close();
            putTimesBack(path, before);
            break;
        }
        case Change::ReplacedByRename:
            writeAll(path + QStringLiteral(".new"), "other version");
            putTimesBack(path + QStringLiteral(".new"), before);
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(path + QStringLiteral(".new"), path));
            break;
        case Change::Removed:
            QVERIFY(QFile::remove(path));
            break;
        }
        const FileStamp now = FileStamp::of(path);
        QCOMPARE(now == stamp, same);
        QCOMPARE(now.exists, Change(change) != Change::Removed);
        QFile::remove(path);
#endif
    }
};

VIVREL_TEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
