// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the program begins and ends: start-up from the configuration file or the
// per-user store, the Tools command that writes the autorun files, and shut-down.

#include "chrome/RoundRegion.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Seams.h"
#include "config/IniFile.h"
#include "config/StoredControls.h"
#include "config/StoredValues.h"
#include "engine/ScreenAwake.h"
#include "viewer/frmPreview.h"
#include "widgets/TriCheckBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QList>
#include <QPair>
#include <QToolButton>

#include <optional>

using StoredControls::applyCheckBox;
using StoredControls::applyCheckMark;

void frmVivrel::LoadIniSettings(const QByteArray &content)
{
    const QString file = IniFile::iniFilePath();
    const QString section = IniFile::iniSection();
    const QString folder = Paths::executableFolder();
    const auto read = [&](const char *key, const QString &def) {
        return IniFile::lookup(content, section, QLatin1String(key), def);
    };

    setDirPath(IniFile::folderNamedIn(read("Path", folder), file));
    if (dirPath().isEmpty())
        setDirPath(folder);
    applyCheckBox(chkFullScreen, read("FullScreen", QStringLiteral("0")));
    applyCheckBox(chkRepeat, read("Repeat", QStringLiteral("1")));
    applyCheckBox(chkRandom, read("Random", QStringLiteral("1")));
    if (const std::optional<int> type =
            StoredValues::toInteger(read("FileType", QStringLiteral("0")));
        type && *type >= -1 && *type <= 3 && *type < cmbFileType->count())
        cmbFileType->setCurrentIndex(*type);
    Text1->setText(read("Interval", QStringLiteral("3")));
    frmPreview &view = viewer();
    applyCheckMark(view, &frmPreview::setStretchChecked, read("Stretch", QStringLiteral("0")));
    applyCheckMark(view, &frmPreview::setRetainShapeChecked,
                   read("RetainShape", QStringLiteral("0")));
    // The medium's own folder is scanned even when it is a drive root.
    DirSearch(dirPath());
}

void frmVivrel::cmdTools_Click()
{
    if (seams().showMessage(tr("Create INI and AUTORUN Files ?"),
                            MsgStyle::YesNo | MsgStyle::Question, QString()) != MsgAnswer::Yes)
        return;

    const QList<QPair<QString, QByteArray>> files = {
        {IniFile::iniFilePath(), IniFile::configurationFileContents()},
        {IniFile::autorunFilePath(), IniFile::autorunContents(Paths::executableBaseName())},
    };
    for (const auto &[path, content] : files) {
        if (const Result<> written = Files::replace(path, content); !written) {
            seams().showMessage(
                tr("Could not write %1:\n%2")
                    .arg(QDir::toNativeSeparators(path), errorText(written.error())),
                MsgStyle::Critical, QString());
            return;
        }
    }
    seams().showMessage(tr("Files Created"), MsgStyle::Information, QString());
}

void frmVivrel::Form_Load()
{
    // Each step stands alone: one that fails (an outline the platform refuses, a folder
    // that does not scan, a page that cannot be written) is passed over without a word,
    // and the next one runs all the same.
    SetRoundRegion(*this);
    cmbFileType->addItems({QStringLiteral("*.jpg;*.bmp;*.gif"), QStringLiteral("*.jpg"),
                           QStringLiteral("*.bmp"), QStringLiteral("*.gif")});
    cmbFileType->setCurrentIndex(0);
    // The viewer must exist before the settings set its menu's check marks.
    viewer();

    const QString iniFile = IniFile::iniFilePath();
    // Only a normal file counts: a hidden one is passed over. It is read once, and every
    // value, the start included, comes from that one reading (a file that does not read
    // gives every default, as each value read on its own would).
    std::optional<QByteArray> ini;
    if (Files::check(iniFile, Files::NoHidden)) {
        const Result<QByteArray> content = Files::read(iniFile, IniFile::kMaxReadBytes);
        ini = content ? *content : QByteArray();
        LoadIniSettings(*ini);
    } else {
        if (!LoadStoredSettings()) {
            // Nothing stored: the very first run.
            mAsk2SendMail = true;
            setDirPath(Paths::executableFolder());
        }
        // A drive root, or the folder of the reset values, is not scanned at start-up.
        if (Paths::isScannableStoredPath(dirPath()))
            DirSearch(dirPath());
    }
    mPreviewNow = true;
    PrepareAdvertPanel();

    // Named pictures start a show of their own: the file's start is not acted on then.
    if (!mIniAutoStart)
        return;
    const QString startValue = ini ? IniFile::lookup(*ini, IniFile::iniSection(),
                                                     QStringLiteral("Start"), QStringLiteral("0"))
                                   : ReadIniValue(IniFile::iniSection(), QStringLiteral("Start"),
                                                  QStringLiteral("0"), iniFile);
    const std::optional<double> start = Numbers::wholeNumber(startValue);
    if (!start || *start != 1.0)
        return;
    seams().processEvents();
    cmdSelectAll_Click();
    seams().processEvents();
    mSelfStarted = true;
    cmdStart_Click();
}

void frmVivrel::Form_Unload()
{
    mUnloading = true;
    SaveStoredSettings();
    ScreenAwake::letGo(Timer1);
    // Ends at once: no other window's close handling runs.
    seams().endProgram(0);
}

void frmVivrel::closeEvent(QCloseEvent *event)
{
    // The window manager's close (Alt+F4) ends the program the way Escape does.
    if (!mUnloading)
        Form_Unload();
    event->accept();
}

void frmVivrel::connectConfig()
{
    connect(cmdTools, &QToolButton::clicked, this, &frmVivrel::cmdTools_Click);
}
