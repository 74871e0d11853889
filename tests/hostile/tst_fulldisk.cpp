// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes that meet a full disk: the working copy for Open, and the Tools command's
// files. A small memory file system stands in for the full disk.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"

#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/Module1.h"
#include "common/OpenWithAssociatedProgram.h"
#include "common/Paths.h"
#include "common/Seams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/mount.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush();
}

/** A 64 KiB file system mounted on a temporary folder for the test's lifetime. */
class SmallDisk
{
public:
    SmallDisk()
    {
        const QByteArray at = QFile::encodeName(mDir.path());
        if (::mount("vivrel-full", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=64k,mode=0700") == 0)
            mMounted = true;
        else
            mReason = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (mMounted)
            ::umount2(QFile::encodeName(mDir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mMounted; }
    QString reason() const { return mReason; }
    QString path() const { return mDir.path(); }

    /** Fills the disk to the last block with one file. */
    void fill()
    {
        QFile filler(path() + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

private:
    QTemporaryDir mDir;
    bool mMounted = false;
    QString mReason;
};

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void workingCopyOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a small file system (needs root): ") +
                             disk.reason()));
        // A picture larger than the whole disk, and an earlier working copy.
        QTemporaryDir pictures;
        const QString picture = pictures.filePath(QStringLiteral("big.jpg"));
        QVERIFY(writeAll(picture, QByteArray(200 * 1024, 'p')));
        const QString earlier = disk.path() + QStringLiteral("/Tremallo.jpg");
        QVERIFY(writeAll(earlier, "earlier copy"));

        const QString saved = Module1::mTempPath();
        Module1::mTempPath() = disk.path() + u'/';
        FakeSeams fake;
        Module1::OpenWithAssociatedProgram(picture);
        Module1::mTempPath() = saved;

        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].style, int(MsgStyle::Critical));
        QCOMPARE(fake.messages[0].text, QStringLiteral("Disk full"));
        QVERIFY(fake.shellTargets.isEmpty());
        // No half copy: the earlier copy stands and nothing else was left behind.
        QCOMPARE(readAll(earlier), QByteArray("earlier copy"));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Tremallo.jpg")});
    }

    void downloadedPageOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a small file system (needs root): ") +
                             disk.reason()));
        const QString page = disk.path() + QStringLiteral("/vivrel4.htm");
        QVERIFY(writeAll(page, "<p>earlier</p>"));
        disk.fill();
        QVERIFY(!Files::replace(page, QByteArray(300, 'n')));
        QCOMPARE(readAll(page), QByteArray("<p>earlier</p>"));
    }

    void toolsOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a small file system (needs root): ") +
                             disk.reason()));
        const QString ini = disk.path() + QStringLiteral("/Vivrel.INI");
        QVERIFY(writeAll(ini, "[Vivrel]\r\nPATH=/mine\r\n"));
        disk.fill();
        Paths::setExecutableForTesting(disk.path(), QStringLiteral("Vivrel"));
        FakeSeams fake;
        frmVivrel w;
        MainControls(w).cmdTools->click();
        Paths::setExecutableForTesting(QString(), QString());
        QCOMPARE(fake.messages.size(), 2);
        QCOMPARE(fake.messages[1].style, int(MsgStyle::Critical));
        QVERIFY2(fake.messages[1].text.contains(QStringLiteral("Vivrel.INI")),
                 qPrintable(fake.messages[1].text));
        QCOMPARE(readAll(ini), QByteArray("[Vivrel]\r\nPATH=/mine\r\n"));
        QVERIFY(!QFile::exists(disk.path() + QStringLiteral("/AUTORUN.INF")));
        QStringList left = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, QStringList({QStringLiteral("Vivrel.INI"), QStringLiteral("filler")}));
    }
};

VIVREL_TEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
