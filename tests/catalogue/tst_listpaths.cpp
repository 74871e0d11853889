// Folders and pictures handed to the main window by path: named on the command line,
// or dropped on the window.

#include "FakeSeams.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "chrome/frmVivrel.h"
#include "common/TriCheckBox.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace TestTrees;

class TestListPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString r(const QString &relative) const { return mDir.path() + u'/' + relative; }

    QStringList listed(const frmVivrel &w) const
    {
        QStringList out;
        for (qsizetype i = 0; i < w.fileList()->count(); ++i)
            out << w.fileList()->fullPath(i).mid(mDir.path().size() + 1);
        return out;
    }

private slots:
    void initTestCase()
    {
        touch(mDir.path(),
              {"one/a.jpg", "one/sub/b.bmp", "two/c.gif", "two/d.png", "e.JPG", ".hidden.gif"});
        QVERIFY(::mkfifo(QFile::encodeName(r("fifo.jpg")).constData(), 0600) == 0);
        QVERIFY(QFile::link(r("e.JPG"), r("link.jpg")));
        QVERIFY(QFile::link(r("one"), r("folderlink")));
    }

    void listPaths_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("additive");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("dirPath");
        const QStringList before{"old.jpg"};
        QTest::newRow("folder replaces") << QStringList{"one"} << false << 0
                                         << QStringList{"one/a.jpg", "one/sub/b.bmp"} << "one";
        QTest::newRow("folder added")
            << QStringList{"one"} << true << 0
            << QStringList{"old.jpg", "one/a.jpg", "one/sub/b.bmp"} << "one";
        QTest::newRow("then the rest are added; the last folder is remembered")
            << QStringList{"two", "e.JPG", "one"} << false << 0
            << QStringList{"two/c.gif", "e.JPG", "one/a.jpg", "one/sub/b.bmp"} << "one";
        QTest::newRow("a picture alone, folder kept")
            << QStringList{"two/c.gif"} << false << 0 << QStringList{"two/c.gif"} << "before";
        QTest::newRow("the type box decides") << QStringList{"two/c.gif", "e.JPG", "one"} << false
                                              << 1 << QStringList{"e.JPG", "one/a.jpg"} << "one";
        QTest::newRow("not a picture empties the list")
            << QStringList{"two/d.png"} << false << 0 << QStringList{} << "before";
        QTest::newRow("a FIFO is never listed")
            << QStringList{"fifo.jpg"} << true << 0 << QStringList{"old.jpg"} << "before";
        QTest::newRow("a link to a picture, a hidden picture named")
            << QStringList{"link.jpg", ".hidden.gif"} << false << 0
            << QStringList{"link.jpg", ".hidden.gif"} << "before";
        QTest::newRow("a link to a folder is walked")
            << QStringList{"folderlink/"} << false << 2 << QStringList{"folderlink/sub/b.bmp"}
            << "folderlink";
        QTest::newRow("gone since") << QStringList{"gone.jpg", "one/a.jpg"} << false << 0
                                    << QStringList{"one/a.jpg"} << "before";
    }

    void listPaths()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, additive);
        QFETCH(int, type);
        QFETCH(QStringList, expected);
        QFETCH(QString, dirPath);
        FakeSeams fake;
        frmVivrel w;
        fillFileTypes(w.cmbFileType);
        w.cmbFileType->setCurrentIndex(type);
        w.fileList()->appendFolder(mDir.path() + u'/', {"old.jpg"});
        w.mDirPath = r("before");
        QStringList absolute;
        for (const QString &path : paths)
            absolute << r(path);
        w.listPaths(absolute, additive);
        QCOMPARE(listed(w), expected);
        QCOMPARE(w.mDirPath, r(dirPath));
        QVERIFY(fake.messages.isEmpty());
    }
};

QTEST_MAIN(TestListPaths)
#include "tst_listpaths.moc"
