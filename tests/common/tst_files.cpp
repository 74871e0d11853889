// What the program counts as a file it may read, and how it replaces one.

#include "TestSandbox.h"
#include "TestTrees.h"

#include "common/FileStamp.h"
#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>

using TestTrees::readAll;
using TestTrees::writeAll;

namespace {

/** What happens to a file between two looks at its stamp. */
enum class Change { None, Read, RewrittenInPlace, ReplacedByRename, Removed };

/** Puts the modification and access times of `path` back to `st`'s. */
void putTimesBack(const QString &path, const struct stat &st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

template <typename T> QString describe(const Result<T> &result)
{
    return result ? QString() : errorText(result.error());
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString at(const QString &name) const { return mDir.path() + u'/' + name; }

private slots:
    void initTestCase()
    {
        writeAll(at("plain.txt"), "plain");
        writeAll(at(".hidden"), "hidden");
        QVERIFY(QFile::link(at("plain.txt"), at("link")));
        QVERIFY(QFile::link(at("nowhere"), at("dangling")));
        QVERIFY(QDir(mDir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(::mkfifo(QFile::encodeName(at("fifo")).constData(), 0600) == 0);
    }

    void readRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("rules");
        QTest::addColumn<QString>("error");
        const int none = 0;
        QTest::newRow("regular file") << at("plain.txt") << none << "";
        QTest::newRow("link to one") << at("link") << none << "";
        QTest::newRow("link, links refused") << at("link") << int(Files::NoLinks) << "Not a file";
        QTest::newRow("hidden") << at(".hidden") << none << "";
        QTest::newRow("hidden, hidden refused")
            << at(".hidden") << int(Files::NoHidden) << "Not a file";
        QTest::newRow("plain file, links and hidden refused")
            << at("plain.txt") << int(Files::NoLinks | Files::NoHidden) << "";
        QTest::newRow("fifo, without blocking") << at("fifo") << none << "Not a file";
        QTest::newRow("device") << QStringLiteral("/dev/null") << none << "Not a file";
        QTest::newRow("folder") << at("folder") << none << "Not a file";
        QTest::newRow("missing") << at("missing") << none << "File not found";
        QTest::newRow("dangling link") << at("dangling") << none << "File not found";
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

    void stampTellsVersionsApart_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("same");
        QTest::newRow("untouched") << int(Change::None) << true;
        QTest::newRow("read") << int(Change::Read) << true;
        // Same size, and the times put back as a careless tool or a hostile one might.
        QTest::newRow("rewritten in place") << int(Change::RewrittenInPlace) << false;
        QTest::newRow("replaced by rename") << int(Change::ReplacedByRename) << false;
        QTest::newRow("removed") << int(Change::Removed) << false;
    }

    void stampTellsVersionsApart()
    {
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
    }
};

VIVREL_TEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
