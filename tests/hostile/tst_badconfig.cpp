// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Hostile settings: a configuration file of garbage, of 50 MB, of one endless line or
// in UTF-16; a per-user store of garbage or of values that are not text.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"

#include "catalogue/FileList.h"
#include "chrome/frmVivrel.h"
#include "common/Paths.h"
#include "config/IniFile.h"
#include "config/SettingsStore.h"
#include "widgets/TriCheckBox.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QRect>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QByteArray garbage(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out(size, '\0');
    for (char &c : out)
        c = char(random.bounded(256));
    out[0] = 'x'; // no byte order mark by chance
    return out;
}

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

class TestBadConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mStore;
    std::unique_ptr<QTemporaryDir> mExe;

    QString iniFile() const { return mExe->path() + QStringLiteral("/Vivrel.INI"); }

private slots:
    void init()
    {
        mStore = std::make_unique<QTemporaryDir>();
        TestSandbox::useSettingsStore(mStore->path());
        mExe = std::make_unique<QTemporaryDir>();
        Paths::setExecutableForTesting(mExe->path(), QStringLiteral("Vivrel"));
    }

    void cleanup() { Paths::setExecutableForTesting(QString(), QString()); }

    void lookup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const QString text = QStringLiteral("[Vivrel]\r\nInterval = 7\r\n");
        QTest::newRow("garbage") << garbage(4096, 1) << "<def>";
        QTest::newRow("garbage, then the section") << garbage(4096, 2) + "\n[Vivrel]\nInterval=7\n"
                                                   << "7";
        QTest::newRow("NULs around") << QByteArray("\0\0\n[Vivrel]\nInterval=7\n\0", 25) << "7";
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + text.toUtf8() << "7";
        QTest::newRow("UTF-16 LE mark") << utf16(text, QStringEncoder::Utf16LE) << "7";
        QTest::newRow("UTF-16 BE mark") << utf16(text, QStringEncoder::Utf16BE) << "7";
        QTest::newRow("UTF-16 without mark")
            << utf16(text, QStringEncoder::Utf16LE).mid(2) << "<def>";
        QTest::newRow("UTF-16 mark, odd length")
            << utf16(text, QStringEncoder::Utf16LE) + 'x' << "7";
        QTest::newRow("mark alone") << QByteArray("\xFF\xFE") << "<def>";
        QTest::newRow("duplicate sections, first wins")
            << QByteArray("[Vivrel]\nInterval=7\n[Other]\n[VIVREL]\nInterval=9\n") << "7";
        QTest::newRow("duplicate keys, first wins")
            << QByteArray("[vivrel]\nINTERVAL=7\nInterval=9\n") << "7";
        QTest::newRow("unclosed section name") << QByteArray("[Vivrel\nInterval=7\n") << "7";
        QTest::newRow("key past a long line")
            << "[Vivrel]\nPath=" + QByteArray(100000, 'a') + "\nInterval=7\n"
            << "7";
    }

    void lookup()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QCOMPARE(IniFile::lookup(content, QStringLiteral("VIVREL"), QStringLiteral("Interval"),
                                 QStringLiteral("<def>")),
                 expected);
    }

    void hugeFiles()
    {
        // 50 MB: only the start is read.
        QByteArray big = "[Vivrel]\nPath=/first\n";
        big += garbage(50 * 1024 * 1024, 3);
        big += "\n[Vivrel]\nStart=1\n";
        writeAll(iniFile(), big);
        big.clear();
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Path"_s, u""_s, iniFile()), QStringLiteral("/first"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, iniFile()), QStringLiteral("0"));

        // One line of 10 MB: its value is cut, what lies past the first MiB is not seen.
        writeAll(iniFile(),
                 "[Vivrel]\nPath=" + QByteArray(10 * 1024 * 1024, 'a') + "\nInterval=7\n");
        const QString path = ReadIniValue(u"VIVREL"_s, u"Path"_s, u""_s, iniFile());
        QVERIFY(path.size() <= IniFile::kMaxLineLength);
        QVERIFY(path.size() > 1000);
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Interval"_s, u"3"_s, iniFile()), QStringLiteral("3"));
    }

    void startUpFromHostileFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("repeat");
        QTest::newRow("garbage") << garbage(200000, 4) << "3" << 1;
        QTest::newRow("one endless line")
            << "[Vivrel]\nPath=" + QByteArray(10 * 1024 * 1024, 'a') + "\nInterval=7\n"
            << "3" << 1;
        QTest::newRow("UTF-16") << utf16(
                                       QStringLiteral("[Vivrel]\r\nInterval = 7\r\nRepeat = 0\r\n"),
                                       QStringEncoder::Utf16LE)
                                << "7" << 0;
        QTest::newRow("values of the wrong kind")
            << QByteArray("[Vivrel]\nInterval=\xff\xfe\nRepeat=1e999\nFileType=-99999999999\n"
                          "FullScreen=nan\nStretch=\x01\x02\n")
            << "\u00ff\u00fe" << 0; // an unusable value leaves the box as it stood
    }

    void startUpFromHostileFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, interval);
        QFETCH(int, repeat);
        writeAll(iniFile(), content);
        content.clear();
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        QCOMPARE(c.Text1->text(), interval);
        QCOMPARE(c.chkRepeat->value(), repeat);
        QVERIFY(c.list->count() == 0);
        QVERIFY(fake.messages.isEmpty());
    }

    void storeOfGarbage()
    {
        QDir().mkpath(mStore->path() + QStringLiteral("/Tremallo"));
        const QString store = mStore->path() + QStringLiteral("/Tremallo/Vivrel.conf");
        writeAll(store, "[Settings]\nmInterval=7\n" + garbage(100000, 5));
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        c.chkSaveSettings->setValue(1);
        w.close(); // as the window manager closes it: shut-down
        // The program ends whatever became of the store.
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
    }

    void storedValuesOfEveryType_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("interval");
        QTest::newRow("int") << QVariant(7) << "7";
        QTest::newRow("double") << QVariant(2.5) << "2.5";
        QTest::newRow("bool") << QVariant(true) << "true";
        QTest::newRow("list") << QVariant(QStringList{u"4"_s, u"5"_s}) << u"4, 5"_s;
        QTest::newRow("bytes with NULs") << QVariant(QByteArray("7\0\xff", 3)) << QString();
        QTest::newRow("rectangle") << QVariant(QRect(1, 2, 3, 4)) << QString();
        QTest::newRow("map") << QVariant(QVariantMap{{u"a"_s, 1}}) << QString();
    }

    void storedValuesOfEveryType()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, interval);
        {
            std::unique_ptr<QSettings> store = SettingsStore::open();
            store->beginGroup(QStringLiteral("Settings"));
            for (const char *key :
                 {"mInterval", "mPath", "mFullScreen", "mPreview", "mFileType", "mStretchImage",
                  "mRetainShape", "mRepeat", "mRandom", "mSaveSettings", "mBgd"})
                store->setValue(QLatin1String(key), value);
        }
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.Form_Load();
        if (!interval.isNull())
            QCOMPARE(c.Text1->text(), interval);
        for (TriCheckBox *box :
             {c.chkFullScreen, c.chkPreview, c.chkRepeat, c.chkRandom, c.chkSaveSettings})
            QVERIFY(box->value() >= 0 && box->value() <= 2);
        w.close(); // as the window manager closes it: shut-down
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
    }
};

VIVREL_TEST_MAIN(TestBadConfig)
#include "tst_badconfig.moc"
