// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/ShellLinks.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("%s has no accessible interface", qPrintable(object->objectName()));
    return iface;
}

QString nameOf(QObject *object)
{
    return accessible(object)->text(QAccessible::Name);
}

/** Where Tab goes from `from`. */
QWidget *afterTab(QWidget *from)
{
    QTest::keyClick(from, Qt::Key_Tab);
    return QApplication::focusWidget();
}

/** A shown main window with three pictures listed, all selected. */
struct Listed : ShowFixture
{
    Listed()
        : ShowFixture({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")})
    {
        c.File1->selectAllItems();
        shown = shownActive();
    }
    /** Starts a show in the viewer and returns it, active. */
    frmPreview &showInViewer()
    {
        c.chkFullScreen->setValue(1);
        QTest::mouseClick(c.cmdStart, Qt::LeftButton);
        frmPreview &v = w.viewer();
        shown = QTest::qWaitForWindowActive(&v);
        return v;
    }

    bool shown = false;
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void controlsSayWhatTheyAre_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *control, QAccessible::Role role, const char *name) {
            QTest::newRow(control)
                << QString::fromLatin1(control) << role << QString::fromLatin1(name);
        };
        using A = QAccessible;
        // Picture buttons by their tool tips, without the blanks around them.
        row("cmdStart", A::Button, "Start Show");
        row("cmdResume", A::Button, "Resume Show");
        row("cmdSelectAll", A::Button, "Select All Listed Files");
        row("cmdDirList", A::Button, "Browse for Folder");
        row("cmdTools", A::Button,
            "Create Configuration Settings File (.INI), and Autrun file (Ref. Help for more "
            "information)");
        row("cmdHelp", A::Button, "Help"); // the title buttons have no tool tip
        row("cmdMinimise", A::Button, "Minimise");
        row("cmdClose", A::Button, "Close");
        row("chkRandom", A::CheckBox, "Random"); // captions without their access-key marks
        row("chkAdditive", A::CheckBox, "Additive");
        row("chkSaveSettings", A::CheckBox, "Save on Exit");
        row("chkRepeat", A::CheckBox, "Repeat");
        row("chkPreview", A::CheckBox, "Preview");
        row("chkFullScreen", A::CheckBox, "Full Screen");
        row("Text1", A::EditableText, "Interval"); // by the label whose key leads to it
        row("cmbFileType", A::ComboBox, "Specify File Types");
        row("File1", A::List, "Pictures");
        row("WebBrowser1", A::StaticText, "Tremallo page"); // read-only rich text
        row("Label1", A::StaticText, "Interval");
        row("Label2", A::StaticText, "Seconds");
        row("lblFileName", A::StaticText, ""); // the slide's path once there is one
        row("Label3", A::Link, "Tremallo");
        row("Image1", A::Graphic, "Tremallo Vivrel");
        row("imgPreview", A::Graphic, "Preview");
    }

    void controlsSayWhatTheyAre()
    {
        QFETCH(QString, control);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        FakeSeams fake;
        frmVivrel w;
        auto *widget = w.findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(accessible(widget)->role(), role);
        QCOMPARE(nameOf(widget), name);
    }

    void everyControlIsNamed()
    {
        // No bare widget and no decoration for a screen reader to stop at; the file name
        // label is named by the slide it shows, the resume button by its face.
        Listed s;
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QAccessibleInterface *window = accessible(&s.w);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Tremallo Vivrel"));
        QCOMPARE(window->childCount(), 24);
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface *child = window->child(i);
            const QByteArray what = child->object()->objectName().toLatin1();
            QVERIFY2(child->role() != QAccessible::Client, what);
            QVERIFY2(!child->text(QAccessible::Name).isEmpty(), what);
        }
        QCOMPARE(nameOf(s.c.lblFileName), s.path(0));
        QCOMPARE(nameOf(s.c.cmdResume), QStringLiteral("Pause Show"));
        QTest::mouseClick(s.c.cmdResume, Qt::LeftButton);
        QCOMPARE(nameOf(s.c.cmdResume), QStringLiteral("Resume Show"));
    }

    void listReportsItemsAndSelection_data()
    {
        QTest::addColumn<int>("folders"); // of 1000 pictures each; 0: three pictures
        QTest::newRow("three") << 0;
        QTest::newRow("200,000") << 200; // answered without an item made per row
    }

    void listReportsItemsAndSelection()
    {
        QFETCH(int, folders);
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        QStringList names{QStringLiteral("a.jpg"), QStringLiteral("b.jpg"),
                          QStringLiteral("c.jpg")};
        if (folders) {
            names.clear();
            for (int i = 0; i < 1000; ++i)
                names << QStringLiteral("p%1.jpg").arg(i);
        }
        c.list->beginBatch();
        for (int folder = 0; folder < std::max(folders, 1); ++folder)
            c.list->appendFolder(QStringLiteral("/pictures/%1/").arg(folder), names);
        c.list->endBatch();
        const int count = int(c.list->count());
        c.File1->setSelected(1, true);
        QAccessibleInterface *list = accessible(c.File1);
        QCOMPARE(list->childCount(), count);
        QCOMPARE(list->tableInterface()->selectedRowCount(), 1);
        for (int i : {0, 1, count - 1}) {
            QAccessibleInterface *item = list->child(i);
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->text(QAccessible::Name), names.at(i % names.size()));
            QCOMPARE(bool(item->state().selected), i == 1);
        }
        QTest::mouseClick(c.cmdSelectAll, Qt::LeftButton);
        QVERIFY(list->child(0)->state().selected && list->child(count - 1)->state().selected);
        QCOMPARE(list->tableInterface()->selectedRowCount(), count);
    }

    void linkOpensFromTheKeyboardAndAssistiveTechnology_data()
    {
        QTest::addColumn<int>("key"); // 0: the accessible press action
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("press action") << 0;
    }

    void linkOpensFromTheKeyboardAndAssistiveTechnology()
    {
        QFETCH(int, key);
        Listed s;
        QVERIFY(s.shown);
        s.c.Text1->setFocus();
        QCOMPARE(afterTab(s.c.Text1), static_cast<QWidget *>(s.c.Label3));
        if (key)
            QTest::keyClick(s.c.Label3, Qt::Key(key));
        else
            accessible(s.c.Label3)
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(s.fake.shellTargets, QStringList{ShellLinks::webSite()});
    }

    void focusIsSeenOnlyWhereItIs_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name : {"cmdStart", "cmdResume", "cmdSelectAll", "cmdHelp", "Label3"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void focusIsSeenOnlyWhereItIs()
    {
        QFETCH(QString, control);
        Listed s;
        QVERIFY(s.shown);
        auto *target = s.w.findChild<QWidget *>(control);
        s.c.Text1->setFocus();
        const QImage before = target->grab().toImage();
        target->setFocus(Qt::TabFocusReason);
        QVERIFY(target->grab().toImage() != before);
        s.c.Text1->setFocus();
        QCOMPARE(target->grab().toImage(), before);
    }

    void linkTakingTheFocusLooksAsAPlainLabel()
    {
        // A label that takes the focus lays its text out otherwise unless told not to.
        FakeSeams fake;
        frmVivrel w;
        QLabel *link = MainControls(w).Label3;
        QLabel plain(link->text(), &w);
        plain.setTextFormat(Qt::PlainText);
        plain.setFont(link->font());
        plain.setPalette(link->palette());
        plain.resize(link->size());
        QCOMPARE(link->grab().toImage(), plain.grab().toImage());
    }

    void viewerIsNamedBySlide()
    {
        Listed s;
        frmPreview &v = s.showInViewer();
        const ViewerControls vc(v);
        QCOMPARE(accessible(&v)->role(), QAccessible::Window);
        QCOMPARE(nameOf(&v), s.path(0));
        QCOMPARE(accessible(vc.imgPreview)->role(), QAccessible::Graphic);
        QVERIFY(slideSettled(s.w)); // the slide is decoded off the window thread
        QCOMPARE(nameOf(vc.imgPreview), QStringLiteral("a.jpg"));
        QTest::keyClick(&v, Qt::Key_Right);
        QCOMPARE(nameOf(&v), s.path(1));
        QVERIFY(slideSettled(s.w));
        QCOMPARE(nameOf(vc.imgPreview), QStringLiteral("b.jpg"));

        // Its menu's entries are items named by their captions.
        QAccessibleInterface *menu = accessible(vc.mnuOptions);
        const QList<QAction *> entries = vc.mnuOptions->actions();
        QCOMPARE(menu->childCount(), entries.size());
        for (int i = 0; i < menu->childCount(); ++i) {
            const bool separator = entries.at(i)->isSeparator();
            QCOMPARE(menu->child(i)->role(),
                     separator ? QAccessible::Separator : QAccessible::MenuItem);
            if (!separator)
                QCOMPARE(menu->child(i)->text(QAccessible::Name), entries.at(i)->text());
        }
    }

    void menuKeysOpenTheMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl+F10") << int(Qt::Key_F10) << int(Qt::ControlModifier) << false;
    }

    void menuKeysOpenTheMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        Listed s;
        frmPreview &v = s.showInViewer();
        QVERIFY(s.shown);
        const ViewerControls vc(v);
        QTest::keyClick(&v, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(vc.mnuOptions->isVisible(), opens);
        if (!opens)
            return;
        // Over the viewer, which stays as it was.
        QVERIFY(v.geometry().contains(vc.mnuOptions->pos()));
        QTest::keyClick(vc.mnuOptions, Qt::Key_Escape);
        QTRY_VERIFY(!vc.mnuOptions->isVisible());
        QVERIFY(v.isVisible());
    }
};

VIVREL_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
