// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder changes under a running show: files deleted, locked, turned into folders
// or pipes, the whole folder gone. The show must step on, at its own pace.

#include "PortableSetup.h"
#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include <memory>
#include <vector>

namespace {

enum class Fault { Deleted, Unreadable, BecameFolder, BecamePipe, FolderRemoved, AllGone };

int widthOf(int i)
{
    return 40 + 10 * i;
}

using Locks = std::vector<std::unique_ptr<PortableSetup::UnreadableFile>>;

/**
 * Breaks `path` the way `fault` says; false when it cannot be arranged here. An unreadable
 * file stays so while its entry in `locks` lives.
 */
bool breakFile(Fault fault, const QString &path, Locks &locks)
{
    switch (fault) {
    case Fault::Deleted:
        return QFile::remove(path);
    case Fault::Unreadable:
        // Root reads whatever the permission bits say; the pipe case stands in there.
        locks.push_back(std::make_unique<PortableSetup::UnreadableFile>(path));
        return locks.back()->isActive();
    case Fault::BecameFolder:
        return QFile::remove(path) && QDir().mkdir(path);
    case Fault::BecamePipe:
        return PortableSetup::kHasFifos && QFile::remove(path) && PortableSetup::makeFifo(path);
    case Fault::FolderRemoved:
    case Fault::AllGone:
        break;
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestShowFaults : public QObject
{
    Q_OBJECT

private slots:
    void faults_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("fullScreen");
        const QList<std::pair<const char *, Fault>> faults{
            {"deleted", Fault::Deleted},
            {"unreadable", Fault::Unreadable},
            {"became a folder", Fault::BecameFolder},
            {"became a pipe", Fault::BecamePipe},
            {"folder removed", Fault::FolderRemoved},
            {"every file gone", Fault::AllGone},
        };
        for (const auto &[name, fault] : faults) {
            QTest::addRow("%s, pane", name) << fault << false;
            QTest::addRow("%s, full screen", name) << fault << true;
        }
    }

    void faults()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, fullScreen);
#ifdef Q_OS_WIN
        if (fault == Fault::Unreadable && fullScreen)
            QSKIP("a file another program holds open keeps its stamp on Windows: the picture "
                  "decoded ahead of it is its unchanged content, and is shown");
#endif
        const int n = 5;
        ShowFixture s(ShowFixture::pictureNames(n));
        const QString dir = s.dir.path();
        const MainControls &c = s.c;
        frmVivrel &w = s.w;
        QCOMPARE(c.list->count(), n);
        s.selectAll();
        c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        c.chkRepeat->setValue(1);
        s.typeInterval(QStringLiteral("2.5"));
        s.start();
        const PictureElement *element =
            fullScreen ? ViewerControls(w.viewer()).imgPreview : c.imgPreview;
        QVERIFY(slideSettled(w));
        QCOMPARE(element->picture().natural.width(), widthOf(0));
        const int period = c.Timer1->interval();
        QCOMPARE(period, 2500);

        // Items 2 and 3 break (or everything, for the folder-wide faults).
        QList<bool> broken(n, false);
        Locks locks;
        if (fault == Fault::FolderRemoved) {
            QVERIFY(QDir(dir).removeRecursively());
            broken.fill(true);
        } else if (fault == Fault::AllGone) {
            for (int i = 0; i < n; ++i)
                QVERIFY(QFile::remove(c.list->fullPath(i)));
            broken.fill(true);
        } else {
            for (int i : {2, 3}) {
                if (!breakFile(fault, c.list->fullPath(i), locks))
                    QSKIP("cannot break a file this way here (read permission for root, or no "
                          "FIFOs)");
                broken[i] = true;
            }
        }

        // Three passes, with the wrap step between them.
        int shown = widthOf(0);
        for (int step = 1; step < 3 * (n + 1); ++step) {
            const qint64 position = w.showPosition();
            s.tick();
            if (position >= n) {
                QCOMPARE(w.showPosition(), 0); // wrapped, nothing shown
            } else {
                QCOMPARE(w.showPosition(), position + 1);
                QCOMPARE(c.lblFileName->text(), c.list->fullPath(position));
                QCOMPARE(w.viewer().caption(), c.lblFileName->text());
                if (!broken[position])
                    shown = widthOf(int(position));
            }
            QVERIFY(slideSettled(w));
            QCOMPARE(element->picture().natural.width(), shown);
            // The show keeps its own pace: still running, period untouched.
            QVERIFY(c.Timer1->isEnabled());
            QCOMPARE(c.Timer1->interval(), period);
        }
        QVERIFY(s.fake.messages.isEmpty());

        // Stepping back onto a broken file pauses the show like any other.
        s.trigger(s.v().mnuPrev);
        QVERIFY(!c.Timer1->isEnabled());
        QVERIFY(ViewerControls(w.viewer()).mnuPause->isChecked());

        locks.clear();
    }
};

VIVREL_TEST_MAIN(TestShowFaults)
#include "tst_showfaults.moc"
