// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program in the user's language: the German catalogue for a German locale, the
// English source texts, unchanged, for any other; the locale taken from the environment.

#include "ShowFixture.h"
#include "TestSandbox.h"

#include "common/Error.h"
#include "common/Translations.h"
#include "widgets/TriCheckBox.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>

using namespace Qt::StringLiterals;

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Translations::remove(); }

    void window_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("checkBox");
        QTest::addColumn<QString>("menuEntry");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("qtText");
        const auto german = [](const char *name, const char *locale) {
            QTest::newRow(name) << locale << true
                                << QString::fromUtf8("Die Dauer beträgt höchstens 30 Sekunden")
                                << QString::fromUtf8(" Zufällige Reihenfolge ")
                                << QString::fromUtf8("&Zufällig") << QString::fromUtf8("Öffnen")
                                << QString::fromUtf8("Datenträger voll")
                                << QString::fromUtf8("Zeigt Versionsinformation an.");
        };
        const auto english = [](const char *name, const char *locale) {
            QTest::newRow(name) << locale << false << "Max interval is 30 only"
                                << " Random Order "
                                << "&Random"
                                << "Open"
                                << "Disk full"
                                << "Displays version information.";
        };
        german("German", "de_DE");
        german("German of Austria: German", "de_AT");
        english("C", "C");
        english("English", "en_GB");
        english("no catalogue: English", "fr_FR");
    }

    void window()
    {
        QFETCH(QString, locale);
        QFETCH(bool, found);
        QCOMPARE(Translations::install(QLocale(locale)), found);
        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        const ViewerControls v = s.v();
        QTEST(c.chkRandom->toolTip(), "toolTip");
        QTEST(c.chkRandom->text(), "checkBox");
        QTEST(v.mnuOpen->text(), "menuEntry");
        QTEST(errorText(Error::DiskFull), "error");
        // Qt's own catalogue comes with the program's.
        QTEST(QCoreApplication::translate("QCommandLineParser", "Displays version information."),
              "qtText");
        QVERIFY(s.enterInterval(QStringLiteral("31"))); // too long a period
        QCOMPARE(s.fake.messages.size(), 1);
        QTEST(s.fake.messages.constFirst().text, "message");
    }

    void accelerators_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("German") << "de_DE";
        QTest::newRow("English") << "C";
    }

    void accelerators()
    {
        // Each letter marked in one window is marked once: Alt with it reaches one control.
        QFETCH(QString, locale);
        Translations::install(QLocale(locale));
        FakeSeams fake;
        frmVivrel w;
        QStringList keys;
        for (const QWidget *child : w.findChildren<QWidget *>()) {
            QString text = child->property("text").toString();
            const qsizetype amp = text.replace(QLatin1String("&&"), QString()).indexOf(u'&');
            if (amp >= 0 && amp + 1 < text.size())
                keys << text.at(amp + 1).toLower();
        }
        QCOMPARE(keys.size(), 7);
        keys.removeDuplicates();
        QCOMPARE(keys.size(), 7);
    }

    void program_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("expected");
        const QString english = QStringLiteral(
            "Plays the pictures of a folder tree as a slide show. Folders and pictures named "
            "here are listed, all selected, and the show starts.");
        const QString german = QString::fromUtf8(
            "Spielt die Bilder eines Ordnerbaums als Diaschau ab. Hier genannte Ordner und "
            "Bilder werden aufgelistet und alle ausgewählt, dann beginnt die Schau.");
        QTest::newRow("LANG=de_DE.UTF-8") << QStringList{u"LANG=de_DE.UTF-8"_s} << german;
        QTest::newRow("LANG=C") << QStringList{u"LANG=C"_s} << english;
        QTest::newRow("LC_ALL before LANG")
            << QStringList{u"LANG=C"_s, u"LC_ALL=de_DE.UTF-8"_s} << german;
        QTest::newRow("LANGUAGE first")
            << QStringList{u"LANG=C.UTF-8"_s, u"LANGUAGE=de"_s} << german;
    }

    void program()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, expected);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "DISPLAY"})
            env.remove(QLatin1String(name));
        for (const QString &pair : environment)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess vivrel;
        vivrel.setProcessEnvironment(env);
        vivrel.start(QStringLiteral(VIVREL_EXECUTABLE), {QStringLiteral("--help")});
        QVERIFY(vivrel.waitForFinished(60000));
        QCOMPARE(vivrel.exitCode(), 0);
        const QString out = QString::fromUtf8(vivrel.readAllStandardOutput());
        QVERIFY2(out.simplified().contains(expected), qPrintable(out));
    }
};

VIVREL_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
