// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the walk does with an entry on Windows, told by its attribute bits alone: the
// rule runs on every platform, so it is tested here without a Windows file system.

#include "TestSandbox.h"

#include "catalogue/DirScanner.h"

#include <QTest>

using Action = DirScanner::EntryAction;
using namespace FileAttribute;

class TestAttributes : public QObject
{
    Q_OBJECT

private slots:
    void actionFor_data()
    {
        QTest::addColumn<quint32>("attributes");
        QTest::addColumn<Action>("action");
        QTest::newRow("plain folder") << Directory << Action::Enter;
        QTest::newRow("read-only folder") << (Directory | ReadOnly) << Action::Skip;
        QTest::newRow("hidden folder") << (Directory | Hidden) << Action::Skip;
        QTest::newRow("system folder") << (Directory | System) << Action::Skip;
        QTest::newRow("archive folder") << (Directory | Archive) << Action::Skip;
        QTest::newRow("folder link") << (Directory | ReparsePoint) << Action::Skip;
        QTest::newRow("folder, not indexed") << (Directory | 0x2000u) << Action::Skip;
        QTest::newRow("normal file") << Normal << Action::Consider;
        QTest::newRow("archive file") << Archive << Action::Consider;
        QTest::newRow("read-only archive file") << (ReadOnly | Archive) << Action::Consider;
        QTest::newRow("file without marks") << 0u << Action::Consider;
        QTest::newRow("file link") << (Archive | ReparsePoint) << Action::Consider;
        QTest::newRow("hidden file") << (Archive | Hidden) << Action::Skip;
        QTest::newRow("system file") << (Archive | System) << Action::Skip;
        QTest::newRow("hidden system file") << (Hidden | System) << Action::Skip;
        QTest::newRow("device") << Device << Action::Skip;
    }

    void actionFor()
    {
        QFETCH(quint32, attributes);
        QFETCH(Action, action);
        QCOMPARE(DirScanner::actionFor(attributes), action);
    }
};

VIVREL_TEST_GUILESS_MAIN(TestAttributes)
#include "tst_attributes.moc"
