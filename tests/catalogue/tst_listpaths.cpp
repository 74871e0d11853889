// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folders and pictures handed to the main window by path: named on the command line,
// or dropped on the window.

#include "Controls.h"
#include "FakeSeams.h"
#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>

#include <optional>
#include <utility>

using namespace TestTrees;

class TestListPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString r(const QString &relative) const { return mDir.path() + u'/' + relative; }

    QStringList listed(const frmVivrel &w) const
    {
        QStringList out;
        const FileList *list = MainControls(w).list;
        for (qsizetype i = 0; i < list->count(); ++i)
            out << QDir::fromNativeSeparators(list->fullPath(i)).mid(mDir.path().size() + 1);
        return out;
    }

    /** Sends a drag entering the window, then the drop; true for each one it took. */
    static std::pair<bool, bool> dragAndDrop(frmVivrel &w, const QMimeData &mime,
                                             Qt::DropActions actions)
    {
        QDragEnterEvent enter(QPoint(20, 20), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QCoreApplication::sendEvent(&w, &enter);
        // Never a move: the source would delete what it thinks it handed over.
        if (enter.isAccepted() && enter.dropAction() == Qt::MoveAction)
            return {false, false};
        QDropEvent drop(QPointF(20, 20), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QCoreApplication::sendEvent(&w, &drop);
        return {enter.isAccepted(), drop.isAccepted() && drop.dropAction() != Qt::MoveAction};
    }

private slots:
    void initTestCase()
    {
        touch(mDir.path(),
              {"one/a.jpg", "one/sub/b.bmp", "two/c.gif", "two/d.png", "e.JPG", ".hidden.gif"});
        if (PortableSetup::kHasFifos)
            QVERIFY(PortableSetup::makeFifo(r("fifo.jpg")));
        QVERIFY(QFile::link(r("e.JPG"), r("link.jpg")));
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
        fake.folderAnswers.push_back(r("before")); // no such folder: lists nothing
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        c.cmbFileType->setCurrentIndex(type);
        MainControls(w).cmdDirList->click();
        c.list->appendFolder(mDir.path() + u'/', {"old.jpg"});
        QStringList absolute;
        for (const QString &path : paths)
            absolute << r(path);
        w.listPaths(absolute, additive);
        QCOMPARE(listed(w), expected);
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(rememberedFolder(w), r(dirPath));
    }

    void drop_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<int>("actions");
        QTest::addColumn<int>("additive");
        QTest::addColumn<QStringList>("expected");
        const int copyOrMove = Qt::CopyAction | Qt::MoveAction;
        const QStringList refused{"old.jpg"};
        QTest::newRow("folder and picture, Additive clear")
            << QStringList{"one", "two/c.gif"} << copyOrMove << 0
            << QStringList{"one/a.jpg", "one/sub/b.bmp", "two/c.gif"};
        QTest::newRow("Additive ticked")
            << QStringList{"two"} << copyOrMove << 1 << QStringList{"old.jpg", "two/c.gif"};
        QTest::newRow("Additive grayed")
            << QStringList{"two"} << copyOrMove << 2 << QStringList{"old.jpg", "two/c.gif"};
        QTest::newRow("offered as a link")
            << QStringList{"e.JPG"} << int(Qt::LinkAction) << 0 << QStringList{"e.JPG"};
        QTest::newRow("offered as a move only")
            << QStringList{"e.JPG"} << int(Qt::MoveAction) << 0 << refused;
        QTest::newRow("a web address among them")
            << QStringList{"one", "https://example.org/x.jpg"} << copyOrMove << 0 << refused;
        QTest::newRow("text, no address") << QStringList{} << copyOrMove << 0 << refused;
    }

    void drop()
    {
        QFETCH(QStringList, urls);
        QFETCH(int, actions);
        QFETCH(int, additive);
        QFETCH(QStringList, expected);
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        c.chkAdditive->setValue(additive);
        c.list->appendFolder(mDir.path() + u'/', {"old.jpg"});
        QMimeData mime;
        QList<QUrl> addresses;
        for (const QString &url : urls)
            addresses << (url.contains(u':') ? QUrl(url) : QUrl::fromLocalFile(r(url)));
        if (addresses.isEmpty())
            mime.setText(r("one"));
        else
            mime.setUrls(addresses);
        const bool taken = expected != QStringList{"old.jpg"};
        QCOMPARE(dragAndDrop(w, mime, Qt::DropActions(actions)), std::make_pair(taken, taken));
        QCOMPARE(listed(w), expected);
        QCOMPARE(c.chkAdditive->value(), additive);
    }

    void droppedOnAControl()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(r("two"))});
        mime.setText(r("two")); // as file managers offer it too
        const QString interval = c.Text1->text();
        // The list, the web panel and the interval box hand the drop to the window.
        for (QWidget *target :
             {c.File1->viewport(), c.WebBrowser1->viewport(), static_cast<QWidget *>(c.Text1)}) {
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            enter.ignore();
            QCoreApplication::sendEvent(target, &enter);
            QVERIFY2(enter.isAccepted(), qPrintable(target->objectName()));
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &drop);
        }
        QCOMPARE(listed(w), QStringList{"two/c.gif"});
        QCOMPARE(c.Text1->text(), interval);
    }

    void dropDuringAScanIsRefused()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        fillFileTypes(c.cmbFileType);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(r("two"))});
        std::optional<std::pair<bool, bool>> during;
        bool tried = false;
        connect(c.list, &QAbstractItemModel::rowsInserted, this, [&] {
            if (!std::exchange(tried, true))
                during = dragAndDrop(w, mime, Qt::CopyAction);
        });
        QVERIFY(w.DirSearch(r("one")));
        QVERIFY(during.has_value());
        QCOMPARE(*during, std::make_pair(false, false));
        QCOMPARE(listed(w), (QStringList{"one/a.jpg", "one/sub/b.bmp"}));
        // Once the scan is over the same drop is taken.
        QCOMPARE(dragAndDrop(w, mime, Qt::CopyAction), std::make_pair(true, true));
        QCOMPARE(listed(w), QStringList{"two/c.gif"});
    }
};

VIVREL_TEST_MAIN(TestListPaths)
#include "tst_listpaths.moc"
