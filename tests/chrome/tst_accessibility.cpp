#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/ShellLinks.h"
#include "chrome/frmVivrel.h"
#include "common/PictureElement.h"
#include "common/TriCheckBox.h"
#include "viewer/frmPreview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace TestTrees;

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

void showAndWait(QWidget &w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

/** A main window with three pictures listed, for a show in the viewer. */
struct Listed
{
    Listed()
    {
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            writePicture(dir.path() + u'/' + QLatin1String(name), 40, 30, "jpg");
        c.list->appendFolder(dir.path() + u'/', {"a.jpg", "b.jpg", "c.jpg"});
    }

    QTemporaryDir dir;
    FakeSeams fake;
    frmVivrel w;
    const MainControls c{w};
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

    /** Where Tab goes from `from`, as the window's focus chain says. */
    static QWidget *afterTab(QWidget *from)
    {
        QTest::keyClick(from, Qt::Key_Tab);
        return QApplication::focusWidget();
    }

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
        // The title buttons carry no tool tip.
        row("cmdHelp", A::Button, "Help");
        row("cmdMinimise", A::Button, "Minimise");
        row("cmdClose", A::Button, "Close");
        // Captions without their access-key marks.
        row("chkRandom", A::CheckBox, "Random");
        row("chkAdditive", A::CheckBox, "Additive");
        row("chkSaveSettings", A::CheckBox, "Save on Exit");
        row("chkRepeat", A::CheckBox, "Repeat");
        row("chkPreview", A::CheckBox, "Preview");
        row("chkFullScreen", A::CheckBox, "Full Screen");
        row("Text1", A::EditableText, "Interval"); // named by the label whose key leads to it
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
        QAccessibleInterface *iface = accessible(widget);
        QCOMPARE(iface->role(), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        // Reached from the window, as a screen reader walks it.
        QCOMPARE(accessible(&w)->indexOfChild(iface) >= 0, true);
    }

    void everyControlIsNamed()
    {
        // Whatever the window shows is a control with a role and a name: no bare widget,
        // no decoration a screen reader would stop at. The file name label is named by
        // the slide it shows.
        Listed s;
        s.c.File1->selectAllItems();
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(!s.c.lblFileName->text().isEmpty());
        QAccessibleInterface *window = accessible(&s.w);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Tremallo Vivrel"));
        QCOMPARE(window->childCount(), 24);
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface *child = window->child(i);
            const QString what = child->object()->objectName();
            QVERIFY2(child->role() != QAccessible::Client && child->role() != QAccessible::Border,
                     qPrintable(what));
            QVERIFY2(!child->text(QAccessible::Name).isEmpty(), qPrintable(what));
        }
        QCOMPARE(nameOf(s.c.lblFileName), s.c.lblFileName->text());
    }

    void statesFollowTheControls()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        QVERIFY(accessible(c.chkSaveSettings)->state().checked);
        QVERIFY(!accessible(c.chkRandom)->state().checked);
        c.chkRandom->setValue(2);
        QVERIFY(accessible(c.chkRandom)->state().checkStateMixed);
        QCOMPARE(accessible(c.Text1)->text(QAccessible::Value), QStringLiteral("3"));
        QCOMPARE(accessible(c.cmbFileType)->text(QAccessible::Value), c.cmbFileType->currentText());
        // Tab passes over the title buttons, but assistive technology can still press them.
        QVERIFY(accessible(c.cmdMinimise)
                    ->actionInterface()
                    ->actionNames()
                    .contains(QAccessibleActionInterface::pressAction()));
    }

    void resumeButtonIsNamedByItsFace()
    {
        Listed s;
        s.c.File1->selectAllItems();
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QCOMPARE(nameOf(s.c.cmdResume), QStringLiteral("Pause Show"));
        QTest::mouseClick(s.c.cmdResume, Qt::LeftButton);
        QCOMPARE(nameOf(s.c.cmdResume), QStringLiteral("Resume Show"));
        QTest::mouseClick(s.c.cmdResume, Qt::LeftButton);
        QCOMPARE(nameOf(s.c.cmdResume), QStringLiteral("Pause Show"));
    }

    void listReportsItemsAndSelection()
    {
        Listed s;
        s.c.File1->setSelected(1, true);
        QAccessibleInterface *list = accessible(s.c.File1);
        QCOMPARE(list->childCount(), 3);
        QStringList names;
        QList<bool> selected;
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface *item = list->child(i);
            QCOMPARE(item->role(), QAccessible::ListItem);
            QVERIFY(item->state().selectable);
            names << item->text(QAccessible::Name);
            selected << bool(item->state().selected);
        }
        QCOMPARE(names, (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(selected, (QList<bool>{false, true, false}));
        QCOMPARE(list->tableInterface()->selectedRowCount(), 1);

        QTest::mouseClick(s.c.cmdSelectAll, Qt::LeftButton);
        QVERIFY(list->child(0)->state().selected && list->child(2)->state().selected);
    }

    void largeListAnswersAtItsEnds()
    {
        // What a screen reader asks of a list of 200,000 pictures after Select All: the
        // count, the last item and the selection, answered without an item per row.
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        QStringList names;
        for (int i = 0; i < 1000; ++i)
            names << QStringLiteral("p%1.jpg").arg(i);
        c.list->beginBatch();
        for (int folder = 0; folder < 200; ++folder)
            c.list->appendFolder(QStringLiteral("/pictures/%1/").arg(folder), names);
        c.list->endBatch();
        QTest::mouseClick(c.cmdSelectAll, Qt::LeftButton);
        QAccessibleInterface *list = accessible(c.File1);
        QCOMPARE(list->childCount(), 200000);
        QAccessibleInterface *last = list->child(199999);
        QCOMPARE(last->text(QAccessible::Name), QStringLiteral("p999.jpg"));
        QVERIFY(last->state().selected);
        QCOMPARE(list->tableInterface()->selectedRowCount(), 200000);
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
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(c.Text1));
        QCOMPARE(afterTab(c.Text1), static_cast<QWidget *>(c.Label3));
        if (key)
            QTest::keyClick(c.Label3, Qt::Key(key));
        else
            accessible(c.Label3)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        QCOMPARE(fake.shellTargets, QStringList{ShellLinks::webSite()});
        QCOMPARE(afterTab(c.Label3), static_cast<QWidget *>(c.chkPreview));
    }

    void tabReachesEveryControlThatTakesIt()
    {
        // The designed order is checked with the window's other keys; here, that no
        // control that Tab can reach is left out of the round.
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        QSet<QWidget *> takesTab;
        for (QWidget *child : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if ((child->focusPolicy() & Qt::TabFocus) && child->isVisible() && child->isEnabled())
                takesTab << child;
        QSet<QWidget *> reached;
        QWidget *at = QApplication::focusWidget();
        QCOMPARE(at, w.findChild<QWidget *>(QStringLiteral("cmdStart")));
        do {
            reached << at;
            at = afterTab(at);
        } while (at && at != w.findChild<QWidget *>(QStringLiteral("cmdStart")) &&
                 reached.size() <= takesTab.size());
        QCOMPARE(reached, takesTab);
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
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        auto *target = w.findChild<QWidget *>(control);
        c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(c.Text1));
        const QImage before = target->grab().toImage();
        target->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QVERIFY(target->grab().toImage() != before);
        c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(c.Text1));
        QCOMPARE(target->grab().toImage(), before);
    }

    void viewerIsNamedBySlide()
    {
        Listed s;
        s.c.File1->selectAllItems();
        s.c.chkFullScreen->setValue(1);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        frmPreview &v = s.w.viewer();
        const ViewerControls vc(v);
        QCOMPARE(nameOf(&v), s.dir.path() + QStringLiteral("/a.jpg"));
        QCOMPARE(accessible(vc.imgPreview)->role(), QAccessible::Graphic);
        QCOMPARE(nameOf(vc.imgPreview), QStringLiteral("a.jpg"));
        QTest::keyClick(&v, Qt::Key_Right);
        QCOMPARE(nameOf(&v), s.dir.path() + QStringLiteral("/b.jpg"));
        QCOMPARE(nameOf(vc.imgPreview), QStringLiteral("b.jpg"));
        QCOMPARE(accessible(&v)->indexOfChild(accessible(vc.imgPreview)) >= 0, true);
    }

    void menuEntriesAreActionsWithTheirCaptions()
    {
        Listed s;
        const ViewerControls vc(s.w.viewer());
        QAccessibleInterface *menu = accessible(vc.mnuOptions);
        QCOMPARE(menu->role(), QAccessible::PopupMenu);
        const QList<QAction *> entries = vc.mnuOptions->actions();
        QCOMPARE(menu->childCount(), entries.size());
        for (int i = 0; i < menu->childCount(); ++i) {
            QAccessibleInterface *item = menu->child(i);
            const QAction *entry = entries.at(i);
            if (entry->isSeparator()) {
                QCOMPARE(item->role(), QAccessible::Separator);
                continue;
            }
            QCOMPARE(item->role(), QAccessible::MenuItem);
            QCOMPARE(item->text(QAccessible::Name), entry->text());
            QCOMPARE(bool(item->state().checkable), entry->isCheckable());
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
        s.c.File1->selectAllItems();
        s.c.chkFullScreen->setValue(1);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        frmPreview &v = s.w.viewer();
        const ViewerControls vc(v);
        QVERIFY(QTest::qWaitForWindowActive(&v));
        QTest::keyClick(&v, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (!opens) {
            QVERIFY(!vc.mnuOptions->isVisible());
            return;
        }
        QTRY_VERIFY(vc.mnuOptions->isVisible());
        // Opened where the keyboard user is: over the viewer, with nothing else done.
        QVERIFY(v.geometry().contains(vc.mnuOptions->pos()));
        QVERIFY(v.isVisible());
        QTest::keyClick(vc.mnuOptions, Qt::Key_Escape);
        QTRY_VERIFY(!vc.mnuOptions->isVisible());
        QVERIFY(v.isVisible());
    }
};

VIVREL_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
