// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folders and pictures handed to the main window by path: named on the command line,
// or dropped on the window.

#include "PortableSetup.h"
#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
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
using namespace Qt::StringLiterals;

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
        touch(mDir.path(), {u"one/a.jpg"_s, u"one/sub/b.bmp"_s, u"two/c.gif"_s, u"two/d.png"_s,
                            u"e.JPG"_s, u".hidden.gif"_s});
        if (PortableSetup::kHasFifos)
            QVERIFY(PortableSetup::makeFifo(r(u"fifo.jpg"_s)));
        QVERIFY(QFile::link(r(u"e.JPG"_s), r(u"link.jpg"_s)));
    }

    void drop_data()
    {
        // Paths below the test's folder, or web addresses.
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<int>("actions");
        QTest::addColumn<int>("additive"); // the Additive box
        QTest::addColumn<int>("type");     // the type box
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("dirPath"); // remembered
        const int copy = Qt::CopyAction | Qt::MoveAction;
        const QStringList before{u"old.jpg"_s};
        QTest::newRow("folder replaces")
            << QStringList{u"one"_s} << copy << 0 << 0 << true
            << QStringList{u"one/a.jpg"_s, u"one/sub/b.bmp"_s} << u"one"_s;
        QTest::newRow("folder added")
            << QStringList{u"one"_s} << copy << 1 << 0 << true
            << QStringList{u"old.jpg"_s, u"one/a.jpg"_s, u"one/sub/b.bmp"_s} << u"one"_s;
        QTest::newRow("then the rest are added; the last folder is remembered")
            << QStringList{u"two"_s, u"e.JPG"_s, u"one"_s} << copy << 0 << 0 << true
            << QStringList{u"two/c.gif"_s, u"e.JPG"_s, u"one/a.jpg"_s, u"one/sub/b.bmp"_s}
            << u"one"_s;
        QTest::newRow("a picture alone, folder kept")
            << QStringList{u"two/c.gif"_s} << copy << 0 << 0 << true << QStringList{u"two/c.gif"_s}
            << u"before"_s;
        QTest::newRow("the type box decides")
            << QStringList{u"two/c.gif"_s, u"e.JPG"_s, u"one"_s} << copy << 0 << 1 << true
            << QStringList{u"e.JPG"_s, u"one/a.jpg"_s} << u"one"_s;
        QTest::newRow("not a picture empties the list")
            << QStringList{u"two/d.png"_s} << copy << 0 << 0 << true << QStringList{}
            << u"before"_s;
        QTest::newRow("a FIFO is never listed")
            << QStringList{u"fifo.jpg"_s} << copy << 1 << 0 << true << before << u"before"_s;
        QTest::newRow("a link to a picture, a hidden picture named")
            << QStringList{u"link.jpg"_s, u".hidden.gif"_s} << copy << 0 << 0 << true
            << QStringList{u"link.jpg"_s, u".hidden.gif"_s} << u"before"_s;
        QTest::newRow("gone since") << QStringList{u"gone.jpg"_s, u"one/a.jpg"_s} << copy << 0 << 0
                                    << true << QStringList{u"one/a.jpg"_s} << u"before"_s;
        QTest::newRow("folder and picture, Additive clear")
            << QStringList{u"one"_s, u"two/c.gif"_s} << copy << 0 << 0 << true
            << QStringList{u"one/a.jpg"_s, u"one/sub/b.bmp"_s, u"two/c.gif"_s} << u"one"_s;
        QTest::newRow("Additive ticked") << QStringList{u"two"_s} << copy << 1 << 0 << true
                                         << QStringList{u"old.jpg"_s, u"two/c.gif"_s} << u"two"_s;
        QTest::newRow("Additive grayed") << QStringList{u"two"_s} << copy << 2 << 0 << true
                                         << QStringList{u"old.jpg"_s, u"two/c.gif"_s} << u"two"_s;
        QTest::newRow("offered as a link") << QStringList{u"e.JPG"_s} << int(Qt::LinkAction) << 0
                                           << 0 << true << QStringList{u"e.JPG"_s} << u"before"_s;
        QTest::newRow("offered as a move only") << QStringList{u"e.JPG"_s} << int(Qt::MoveAction)
                                                << 0 << 0 << false << before << u"before"_s;
        QTest::newRow("a web address among them")
            << QStringList{u"one"_s, u"https://example.org/x.jpg"_s} << copy << 0 << 0 << false
            << before << u"before"_s;
        QTest::newRow("text, no address")
            << QStringList{} << copy << 0 << 0 << false << before << u"before"_s;
    }

    void drop()
    {
        QFETCH(QStringList, urls);
        QFETCH(int, actions);
        QFETCH(int, additive);
        QFETCH(int, type);
        QFETCH(bool, taken);
        QFETCH(QStringList, expected);
        QFETCH(QString, dirPath);
        ShowFixture s(QStringList{});
        s.c.cmbFileType->setCurrentIndex(type);
        QVERIFY(s.listFolder(r(u"before"_s))); // no such folder: lists nothing
        s.c.list->appendFolder(mDir.path() + u'/', {u"old.jpg"_s});
        s.c.chkAdditive->setValue(additive);
        QMimeData mime;
        QList<QUrl> addresses;
        for (const QString &url : urls)
            addresses << (url.contains(u':') ? QUrl(url) : QUrl::fromLocalFile(r(url)));
        if (addresses.isEmpty())
            mime.setText(r(u"one"_s));
        else
            mime.setUrls(addresses);
        QCOMPARE(dragAndDrop(s.w, mime, Qt::DropActions(actions)), std::make_pair(taken, taken));
        QCOMPARE(listed(s.w), expected);
        QCOMPARE(s.c.chkAdditive->value(), additive);
        QVERIFY(s.fake.messages.isEmpty());
        QCOMPARE(rememberedFolder(s.w), r(dirPath));
    }

    void droppedOnAControl()
    {
        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(r(u"two"_s))});
        mime.setText(r(u"two"_s)); // as file managers offer it too
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
        QCOMPARE(listed(s.w), QStringList{u"two/c.gif"_s});
        QCOMPARE(c.Text1->text(), interval);
    }

    void dropDuringAScanIsRefused()
    {
        ShowFixture s(QStringList{});
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(r(u"two"_s))});
        std::optional<std::pair<bool, bool>> during;
        bool tried = false;
        connect(s.c.list, &QAbstractItemModel::rowsInserted, this, [&] {
            if (!std::exchange(tried, true))
                during = dragAndDrop(s.w, mime, Qt::CopyAction);
        });
        QVERIFY(s.listFolder(r(u"one"_s)));
        QVERIFY(during.has_value());
        QCOMPARE(*during, std::make_pair(false, false));
        QCOMPARE(listed(s.w), (QStringList{u"one/a.jpg"_s, u"one/sub/b.bmp"_s}));
        // Once the scan is over the same drop is taken.
        QCOMPARE(dragAndDrop(s.w, mime, Qt::CopyAction), std::make_pair(true, true));
        QCOMPARE(listed(s.w), QStringList{u"two/c.gif"_s});
    }
};

VIVREL_TEST_MAIN(TestListPaths)
#include "tst_listpaths.moc"
