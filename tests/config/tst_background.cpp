// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The viewer's background at the first Start Show of a run. A test executable of its
// own: Qt's image allocation limit holds for the whole process, and this test starts
// from the limit Qt begins with, as a fresh run does.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/PictureLoader.h"
#include "config/SettingsStore.h"
#include "viewer/frmPreview.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QImage>
#include <QImageReader>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestBackground : public QObject
{
    Q_OBJECT

    QTemporaryDir mStore;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        TestSandbox::useSettingsStore(mStore.path());
    }

    void largeBackgroundAtTheFirstStart()
    {
        // Nothing in this process has loaded a picture or changed Qt's limit yet.
        QCOMPARE(QImageReader::allocationLimit(), 128);
        // What the program's start-up does before anything else.
        PictureLoader::setDecoderCeiling();

        // 36 megapixels decode to 144 MB, more than Qt allows by default. Written from
        // one byte a pixel, to keep the test's own memory down.
        QTemporaryDir dir;
        const QString big = dir.path() + QStringLiteral("/big.jpg");
        QImage image(6000, 6000, QImage::Format_Indexed8);
        image.setColorTable({qRgb(0xff, 0x33, 0x66)});
        image.fill(0);
        QVERIFY(image.save(big, "jpg", 50));
        TestTrees::writePicture(dir.path() + QStringLiteral("/slide.jpg"), 40, 30, "jpg");
        QVERIFY(SettingsStore::SaveSetting(QStringLiteral("mBgd"), big));

        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        c.list->appendFolder(dir.path() + u'/', {QStringLiteral("slide.jpg")});
        c.File1->setSelected(0, true);
        c.chkFullScreen->setValue(1);
        MainControls(w).cmdStart->click();
        QCOMPARE(w.viewer().background().size(), QSize(6000, 6000));
        QVERIFY(slideSettled(w));
        QCOMPARE(ViewerControls(w.viewer()).imgPreview->picture().natural, QSize(40, 30));
    }
};

VIVREL_TEST_MAIN(TestBackground)
#include "tst_background.moc"
