// What the program counts as a file it may read, and how it replaces one.

#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using TestTrees::readAll;
using TestTrees::writeAll;

namespace {

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
};

VIVREL_TEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
