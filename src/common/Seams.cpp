// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Seams.h"

#include "common/ScreenSaverInhibitor.h"
#include "network/NetworkModule.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace {

int realShowMessage(const QString &text, int style, const QString &title)
{
    const std::unique_ptr<QMessageBox> box = buildMessageBox(text, style, title);
    const int clicked = box->exec();
    if ((style & 0x7) == MsgStyle::YesNo)
        return clicked == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

QString realChooseFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

QString realChooseOpenFile(const QString &title, const QStringList &filters,
                           const QString &proposed, QString *selectedFilter)
{
    QFileDialog dialog(nullptr, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

bool realOpenWithShell(const QString &target)
{
    // A bare path is a local file; anything with a scheme is a URL.
    const QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    return QDesktopServices::openUrl(url);
}

bool realIsOnline()
{
    // Only a system that says so is off line: one that cannot tell, or a program without
    // its network module, is taken to be on line, and a fetch then finds out.
    Web::Module *network = NetworkModule::get();
    return !network || network->reachability() != Web::Reachability::Offline;
}

void realEndProgram(int code)
{
    // No window gets a close event: the windows just go, and the loop returns.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(code);
}

} // namespace

std::unique_ptr<QMessageBox> buildMessageBox(const QString &text, int style, const QString &title)
{
    auto box = std::make_unique<QMessageBox>();
    // Texts carry file names, and a name such as "<b>x.jpg" or "a&lt;b.jpg" must read
    // as it is spelt, never as markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setWindowTitle(title);
    switch (style & 0x70) {
    case MsgStyle::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    case MsgStyle::Question:
        box->setIcon(QMessageBox::Question);
        break;
    case MsgStyle::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case MsgStyle::Information:
        box->setIcon(QMessageBox::Information);
        break;
    default:
        box->setIcon(QMessageBox::NoIcon);
        break;
    }
    if ((style & 0x7) == MsgStyle::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton((style & MsgStyle::DefaultButton2) ? QMessageBox::No
                                                                 : QMessageBox::Yes);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    return box;
}

Seams Seams::real()
{
    Seams s;
    s.showMessage = realShowMessage;
    s.chooseFolder = realChooseFolder;
    s.chooseOpenFile = realChooseOpenFile;
    s.openWithShell = realOpenWithShell;
    s.processEvents = [] { QCoreApplication::processEvents(); };
    s.isOnline = realIsOnline;
    s.endProgram = realEndProgram;
    s.keepScreenAwake = [](bool awake) {
        if (ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance())
            inhibitor->setHeld(awake);
    };
    return s;
}

Seams &seams()
{
    static Seams current = Seams::real();
    return current;
}

ScopedSeams::ScopedSeams(Seams replacement) : mSaved(seams())
{
    seams() = std::move(replacement);
}

ScopedSeams::~ScopedSeams()
{
    seams() = std::move(mSaved);
}
