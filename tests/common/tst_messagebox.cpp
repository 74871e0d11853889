// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSandbox.h"
#include "common/Seams.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

/** The real message box as showMessage sets it up, looked at without showing it. */
class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void builtFromTheStyle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton"); // NoButton: the platform's choice
        const int ok = QMessageBox::Ok;
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        // Paths that look like markup are the texts where a wrong format shows.
        QTest::newRow("plain") << "Files Created" << 0 << int(QMessageBox::NoIcon) << ok
                               << int(QMessageBox::NoButton);
        QTest::newRow("information")
            << "Max interval is 30 only" << 64 << int(QMessageBox::Information) << ok
            << int(QMessageBox::NoButton);
        QTest::newRow("critical, a tag in the path")
            << "Could not write /m/<b>x</b>.INI:\nNo space" << 16 << int(QMessageBox::Critical)
            << ok << int(QMessageBox::NoButton);
        QTest::newRow("yes/no, Yes first, an entity in the path")
            << "Delete /m/a&lt;b.jpg?" << 20 << int(QMessageBox::Critical) << yesNo
            << int(QMessageBox::Yes);
        QTest::newRow("yes/no question, No first")
            << "Create INI and AUTORUN Files ?" << (4 | 32 | 256) << int(QMessageBox::Question)
            << yesNo << int(QMessageBox::No);
    }

    void builtFromTheStyle()
    {
        QFETCH(QString, text);
        QFETCH(int, style);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        const std::unique_ptr<QMessageBox> box = buildMessageBox(text, style, QStringLiteral("T"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->windowTitle(), QStringLiteral("T"));
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(int(box->standardButtons()), buttons);
        if (defaultButton != QMessageBox::NoButton)
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::StandardButton(defaultButton)));
    }
};

VIVREL_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
