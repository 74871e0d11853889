// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"

#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "config/SettingsStore.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLineEdit>

using namespace Qt::StringLiterals;

ShowFixture::ShowFixture(const QStringList &names, PictureLook pictures) : look(pictures)
{
    // What the window holds before anything is stored, with a folder that is not scanned
    // ("Save on Exit" unticked leaves it so): start-up then changes nothing of the window's own.
    TestSandbox::useSettingsStore(store.path());
    QList<std::pair<QString, QString>> values;
    for (const QString &row :
         QStringLiteral("mInterval=3|mPath= |mFullScreen=0|mPreview=0|mFileType="
                        "*.jpg;*.bmp;*.gif|mStretchImage=0|mRetainShape=0|"
                        "mRepeat=0|mRandom=0|mSaveSettings=1")
             .split(u'|'))
        values.append({row.section(u'=', 0, 0), row.section(u'=', 1)});
    if (!SettingsStore::SaveSettings(values))
        QTest::qFail("the settings store cannot be written", __FILE__, __LINE__);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].contains(u"bad"))
            TestTrees::writeFile(dir.path(), names[i], "not a picture");
        else
            TestTrees::writePicture(dir.filePath(names[i]), look.base + 10 * int(i), look.height,
                                    "jpg");
    }
    w.Form_Load();
    if (!names.isEmpty() && !listFolder(dir.path()))
        QTest::qFail("the pictures' folder did not list", __FILE__, __LINE__);
    for (const QString &name : names) {
        if (name.contains(u"gone"))
            QFile::remove(dir.filePath(name));
    }
    fake.folderTitles.clear();
}

ShowFixture::~ShowFixture()
{
    // Back to the run's own store, which outlives this one.
    TestSandbox::useSettingsStore(TestSandbox::path() + u"/config"_s);
}

QStringList ShowFixture::pictureNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << u"p%1.jpg"_s.arg(i);
    return names;
}

QString ShowFixture::path(int i) const
{
    return c.list->fullPath(i);
}

int ShowFixture::shown(const PictureElement *element) const
{
    if (!element->hasPicture())
        return -1;
    return (element->picture().natural.width() - look.base) / 10;
}

void ShowFixture::typeInterval(const QString &seconds)
{
    c.Text1->setText(seconds);
}

QRectF ShowFixture::element()
{
    settle();
    const PictureElement *e = v().imgPreview;
    return QRectF(e->left(), e->top(), e->width(), e->height());
}

void ShowFixture::select(const QList<int> &indices)
{
    c.File1->clearSelection();
    for (int i : indices)
        c.File1->setSelected(i, true);
}

bool ShowFixture::listFolder(const QString &folder)
{
    const qsizetype before = fake.messages.size();
    fake.folderAnswers = {folder};
    click(c.cmdDirList);
    return fake.messages.size() == before ||
           fake.messages.constLast().text != QLatin1String("Drive Not Ready...");
}

void ShowFixture::tickBox(TriCheckBox *box, bool ticked)
{
    if ((box->value() == 1) != ticked)
        box->click();
}

bool ShowFixture::enterInterval(const QString &seconds)
{
    if (!w.isActiveWindow() && !shownActive())
        return false;
    c.Text1->setFocus();
    if (!QTest::qWaitFor([this] { return QApplication::focusWidget() == c.Text1; }))
        return false;
    typeInterval(seconds);
    QTest::keyClick(c.Text1, Qt::Key_Return);
    // The box is checked once the focus has settled, from the event loop.
    QCoreApplication::processEvents();
    return true;
}

bool ShowFixture::shownActive()
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

bool expectMessage(const FakeSeams &seams, const QString &text, int style, const QString &title,
                   qsizetype index)
{
    if (index < 0)
        index += seams.messages.size();
    if (index < 0 || index >= seams.messages.size()) {
        qWarning() << "no message" << index << "of" << seams.messages.size();
        return false;
    }
    const FakeSeams::Message &said = seams.messages[index];
    if (said.text == text && said.style == style && said.title == title)
        return true;
    qWarning() << "message" << index << "was" << said.text << said.style << said.title << "not"
               << text << style << title;
    return false;
}
