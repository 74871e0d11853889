// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the program begins and ends: start-up from the configuration file or the
// per-user store, the paths of the command line, the Tools command that writes the
// autorun files, and shut-down.

#include "config/StartUp.h"

#include "common/Files.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Seams.h"
#include "config/IniFile.h"
#include "config/StartUpHost.h"
#include "engine/ScreenAwake.h"
#include "widgets/RoundRegion.h"

#include <QComboBox>
#include <QDir>
#include <QList>
#include <QPair>
#include <QTimer>
#include <QToolButton>

#include <optional>

StartUp::StartUp(const Controls &controls, StartUpHost &host, QObject *parent)
    : QObject(parent), mControls(controls), mHost(host)
{
    connect(mControls.cmdTools, &QToolButton::clicked, this, &StartUp::cmdTools_Click);
}

void StartUp::cmdTools_Click()
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

void StartUp::Form_Load()
{
    // Each step stands alone: one that fails (an outline the platform refuses, a folder
    // that does not scan, a page that cannot be written) is passed over without a word,
    // and the next one runs all the same.
    SetRoundRegion(*mControls.window);
    QComboBox *fileType = mControls.cmbFileType;
    fileType->addItems({QStringLiteral("*.jpg;*.bmp;*.gif"), QStringLiteral("*.jpg"),
                        QStringLiteral("*.bmp"), QStringLiteral("*.gif")});
    fileType->setCurrentIndex(0);
    // The viewer must exist before the settings set its menu's check marks.
    mControls.viewer();
    mStartUpStore.emplace();
    QTimer::singleShot(0, this, [this] { mStartUpStore.reset(); });

    const QString iniFile = IniFile::iniFilePath();
    // Only a normal file counts: a hidden one is passed over. It is read once, and every
    // value, the start included, comes from that one reading (a file that does not read
    // gives every default, as each value read on its own would).
    std::optional<QByteArray> ini;
    const Result<> usable = Files::check(iniFile, Files::NoHidden);
    if (usable) {
        const Result<QByteArray> content = Files::read(iniFile, IniFile::kMaxReadBytes);
        ini = content ? *content : QByteArray();
        LoadIniSettings(*ini);
    } else {
        if (!LoadStoredSettings()) {
            // Nothing stored: the very first run.
            mHost.offerThanksMail();
            mHost.setListedFolder(Paths::executableFolder());
        }
        // A drive root, or the folder of the reset values, is not scanned at start-up.
        if (const QString folder = mHost.listedFolder(); Paths::isScannableStoredPath(folder))
            mHost.listFolderTree(folder);
    }
    mHost.allowPreview();
    mHost.prepareAdvertPanel();

    // Named pictures start a show of their own: the file's start is not acted on then.
    if (!mIniAutoStart)
        return;
    // A file passed over (a hidden one) still has its start read; one that is not there
    // has none, and is not looked for again.
    QString startValue = QStringLiteral("0");
    if (ini)
        startValue =
            IniFile::lookup(*ini, IniFile::iniSection(), QStringLiteral("Start"), startValue);
    else if (usable.error() != Error::FileNotFound)
        startValue =
            ReadIniValue(IniFile::iniSection(), QStringLiteral("Start"), startValue, iniFile);
    const std::optional<double> start = Numbers::wholeNumber(startValue);
    if (!start || *start != 1.0)
        return;
    seams().processEvents();
    mHost.selectAll();
    seams().processEvents();
    mHost.startSelfStartedShow();
}

void StartUp::openPaths(const QStringList &paths)
{
    // The Additive box keeps what the user sees; the first path replaces the list
    // that start-up filled, as a folder chosen with the button would.
    mHost.listNamedPaths(paths);
    mHost.selectAll();
    mHost.startSelfStartedShow();
}

void StartUp::Form_Unload()
{
    mUnloading = true;
    SaveStoredSettings();
    ScreenAwake::letGo(mControls.Timer1);
    // Ends at once: no other window's close handling runs.
    seams().endProgram(0);
}

void StartUp::closeRequested()
{
    // The window manager's close (Alt+F4) ends the program the way Escape does.
    if (!mUnloading)
        Form_Unload();
}
