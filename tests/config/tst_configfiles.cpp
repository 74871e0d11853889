// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Stored-value conversions, the configuration-file reader and the file writer.

#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"
#include "common/Files.h"
#include "config/IniFile.h"
#include "config/StoredValues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include <optional>

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<bool>)

using TestTrees::readAll;
using TestTrees::writeAll;
using namespace Qt::StringLiterals;

namespace {} // namespace

class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void integerRule_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<std::optional<int>>("integer");
        QTest::addColumn<std::optional<int>>("checkBox");
        const std::optional<int> none;
        QTest::newRow("0") << "0" << std::optional(0) << std::optional(0);
        QTest::newRow("2 is grayed") << "2" << std::optional(2) << std::optional(2);
        QTest::newRow("blanks around") << " 1 " << std::optional(1) << std::optional(1);
        QTest::newRow("0.5 to even") << "0.5" << std::optional(0) << std::optional(0);
        QTest::newRow("1.5 to even") << "1.5" << std::optional(2) << std::optional(2);
        QTest::newRow("2.5 to even") << "2.5" << std::optional(2) << std::optional(2);
        QTest::newRow("7 not a box value") << "7" << std::optional(7) << none;
        QTest::newRow("-1 not a box value") << "-1" << std::optional(-1) << none;
        QTest::newRow("16-bit top") << "32767" << std::optional(32767) << none;
        QTest::newRow("above 16 bits") << "32768" << none << none;
        QTest::newRow("rounds above 16 bits") << "32767.5" << none << none;
        QTest::newRow("abc") << "abc" << none << none;
        QTest::newRow("trailing text") << "1x" << none << none;
        QTest::newRow("True is not a number") << "True" << none << none;
        QTest::newRow("empty") << "" << none << none;
    }

    void integerRule()
    {
        QFETCH(QString, stored);
        QFETCH(std::optional<int>, integer);
        QFETCH(std::optional<int>, checkBox);
        QCOMPARE(StoredValues::toInteger(stored), integer);
        QCOMPARE(StoredValues::toCheckBoxValue(stored), checkBox);
    }

    void booleanRule_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<std::optional<bool>>("expected");
        QTest::newRow("True") << "True" << std::optional(true);
        QTest::newRow("false lower") << "false" << std::optional(false);
        QTest::newRow("blanks") << " False " << std::optional(false);
        QTest::newRow("0") << "0" << std::optional(false);
        QTest::newRow("1") << "1" << std::optional(true);
        QTest::newRow("-1") << "-1" << std::optional(true);
        QTest::newRow("7") << "7" << std::optional(true);
        QTest::newRow("abc") << "abc" << std::optional<bool>();
        QTest::newRow("empty") << "" << std::optional<bool>();
    }

    void booleanRule()
    {
        QFETCH(QString, stored);
        QFETCH(std::optional<bool>, expected);
        QCOMPARE(StoredValues::toBoolean(stored), expected);
    }

    void lookup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString def = QStringLiteral("<def>");
        QTest::newRow("plain") << QByteArray("[Vivrel]\nPath=/pics\n") << "VIVREL"
                               << "Path"
                               << "/pics";
        QTest::newRow("case of section and key")
            << QByteArray("[vIvReL]\nfullSCREEN=1\n") << "VIVREL"
            << "FullScreen"
            << "1";
        QTest::newRow("blanks trimmed")
            << QByteArray("  [ Vivrel ]  \n  Interval   =   1.5   \n") << "VIVREL"
            << "Interval"
            << "1.5";
        QTest::newRow("blanks inside kept")
            << QByteArray("[Vivrel]\nPath = /my pictures/a b \n") << "VIVREL"
            << "Path"
            << "/my pictures/a b";
        QTest::newRow("comment line")
            << QByteArray("[Vivrel]\n;Start=1\n  ; Start=2\nStart=3\n") << "VIVREL"
            << "Start"
            << "3";
        QTest::newRow("first key wins") << QByteArray("[Vivrel]\nStart=1\nSTART=2\n") << "VIVREL"
                                        << "Start"
                                        << "1";
        QTest::newRow("first section wins")
            << QByteArray("[Vivrel]\nStart=1\n[Other]\nStart=5\n[VIVREL]\nStart=2\n") << "VIVREL"
            << "Start"
            << "1";
        QTest::newRow("key of another section")
            << QByteArray("[Other]\nStart=1\n[Vivrel]\nPath=x\n") << "VIVREL"
            << "Start" << def;
        QTest::newRow("absent section") << QByteArray("[Vivrel]\nStart=1\n") << "SHOW"
                                        << "Start" << def;
        QTest::newRow("absent key") << QByteArray("[Vivrel]\n") << "VIVREL"
                                    << "Start" << def;
        QTest::newRow("empty value") << QByteArray("[Vivrel]\nPath=\n") << "VIVREL"
                                     << "Path" << def;
        QTest::newRow("equals in the value") << QByteArray("[Vivrel]\nPath=/a=b\n") << "VIVREL"
                                             << "Path"
                                             << "/a=b";
        QTest::newRow("CR LF") << QByteArray("[Vivrel]\r\nInterval = 1.5\r\nStart = 1\r\n")
                               << "VIVREL"
                               << "Interval"
                               << "1.5";
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[Vivrel]\r\nStart=1\r\n") << "VIVREL"
            << "Start"
            << "1";
        QTest::newRow("UTF-8 value")
            << QByteArray("[Vivrel]\nPath=/Bilder/M\xC3\xBCnchen\n") << "VIVREL"
            << "Path" << QStringLiteral("/Bilder/M\u00fcnchen");
        QTest::newRow("single-byte value")
            << QByteArray("[Vivrel]\nPath=/Bilder/M\xFCnchen\n") << "VIVREL"
            << "Path" << QStringLiteral("/Bilder/M\u00fcnchen");
        const QString longPath = QStringLiteral("/media/") + QString(600, u'x');
        QTest::newRow("long value read whole")
            << ("[Vivrel]\nPath=" + longPath.toUtf8() + "\n") << "VIVREL"
            << "Path" << longPath;
    }

    void lookup()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(IniFile::lookup(content, section, key, QStringLiteral("<def>")), expected);
    }

    void quotedValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("double") << QByteArray("PATH = \"/media/My Pictures\"")
                                << "/media/My Pictures";
        QTest::newRow("single, blanks inside kept") << QByteArray("Path='  a b  '") << "  a b  ";
        QTest::newRow("empty pair is empty") << QByteArray("Path = \"\"") << "<def>";
        QTest::newRow("empty single pair") << QByteArray("Path=''") << "<def>";
        QTest::newRow("only one pair") << QByteArray("Path=\"\"x\"\"") << "\"x\"";
        QTest::newRow("lone quote") << QByteArray("Path=\"") << "\"";
        QTest::newRow("opening only") << QByteArray("Path=\"/pics") << "\"/pics";
        QTest::newRow("unmatched") << QByteArray("Path=\"/pics'") << "\"/pics'";
        QTest::newRow("quotes inside") << QByteArray("Path=a \"b\" c") << "a \"b\" c";
    }

    void quotedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        QCOMPARE(IniFile::lookup("[Vivrel]\r\n" + line + "\r\n", QStringLiteral("VIVREL"),
                                 QStringLiteral("Path"), QStringLiteral("<def>")),
                 expected);
    }

    void readIniValueFromFiles()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Vivrel.INI"));
        writeAll(file, IniFile::configurationFileContents());
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Interval"_s, u"3"_s, file), QStringLiteral("1.5"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, file), QStringLiteral("1"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Path"_s, u"/exe"_s, file), QStringLiteral("/exe"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Random"_s, u"1"_s, file), QStringLiteral("1"));
        QCOMPARE(ReadIniValue(u"SHOW"_s, u"Start"_s, u"0"_s, file), QStringLiteral("0"));

        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, dir.filePath(u"absent.INI"_s)),
                 QStringLiteral("0"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, dir.path()), QStringLiteral("0"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, QString()), QStringLiteral("0"));

        // A pipe is never opened: reading it would wait for a writer that never comes.
        const QString fifo = dir.filePath(QStringLiteral("fifo.INI"));
        if (PortableSetup::kHasFifos) {
            QVERIFY(PortableSetup::makeFifo(fifo));
            QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, fifo), QStringLiteral("0"));
        }
    }

    void readsOnlyTheStartOfAHugeFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Vivrel.INI"));
        QByteArray content = "[Vivrel]\nPath=/first\n";
        content += QByteArray(IniFile::kMaxReadBytes, ';');
        content += "\nStart=1\n";
        writeAll(file, content);
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Path"_s, u""_s, file), QStringLiteral("/first"));
        QCOMPARE(ReadIniValue(u"VIVREL"_s, u"Start"_s, u"0"_s, file), QStringLiteral("0"));
    }

    void writerReplacesWhole()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Vivrel.INI"));
        writeAll(file, QByteArray(5000, 'e'));
        QVERIFY(Files::replace(file, "short\r\n"));
        QCOMPARE(readAll(file), QByteArray("short\r\n"));
        // Nothing of the writer's own is left lying beside the file.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Vivrel.INI")});
    }

    void writerReplacesLinkNotTarget()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("elsewhere.txt"));
        const QString link = dir.filePath(QStringLiteral("AUTORUN.INF"));
        writeAll(target, "keep me");
        QVERIFY(QFile::link(target, link));
        QVERIFY(Files::replace(link, "[AUTORUN]\r\n"));
        QCOMPARE(readAll(target), QByteArray("keep me"));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(readAll(link), QByteArray("[AUTORUN]\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void writerFailures_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("under a regular file") << QStringLiteral("plain.txt/Vivrel.INI");
        QTest::newRow("missing folder") << QStringLiteral("nowhere/Vivrel.INI");
        QTest::newRow("folder in the way") << QStringLiteral("sub");
    }

    void writerFailures()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        writeAll(dir.filePath(QStringLiteral("plain.txt")), "plain");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const Result<> written = Files::replace(dir.filePath(relative), "x");
        QVERIFY(!written);
        QVERIFY(!errorText(written.error()).isEmpty());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("plain.txt"))), QByteArray("plain"));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("sub"))).isDir());
    }

    void writerLeavesFileInReadOnlyFolder()
    {
#ifdef Q_OS_WIN
        QSKIP("a folder's read-only attribute does not keep files out of it on Windows");
#else
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Vivrel.INI"));
        writeAll(file, "edited by hand");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool canWriteAnyway = ::access(QFile::encodeName(dir.path()).constData(), W_OK) == 0;
        const Result<> written = Files::replace(file, "new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canWriteAnyway)
            QSKIP("running with rights that ignore the folder's permissions");
        QVERIFY(!written);
        QVERIFY(!errorText(written.error()).isEmpty());
        QCOMPARE(readAll(file), QByteArray("edited by hand"));
#endif
    }
};

VIVREL_TEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
