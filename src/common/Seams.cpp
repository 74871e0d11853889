#include "common/Seams.h"

#include "common/ScreenSaverInhibitor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QUrl>
#include <QWidget>

namespace {

int realShowMessage(const QString &text, int style, const QString &title)
{
    QMessageBox box;
    box.setText(text);
    box.setWindowTitle(title);
    switch (style & 0x70) {
    case MsgStyle::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgStyle::Question: box.setIcon(QMessageBox::Question); break;
    case MsgStyle::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgStyle::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    if ((style & 0x7) == MsgStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((style & MsgStyle::DefaultButton2) ? QMessageBox::No
                                                                : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

QString realChooseFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner, title, QString(),
                                             QFileDialog::ShowDirsOnly);
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
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadDefaultBackend();
    const QNetworkInformation *info = QNetworkInformation::instance();
    if (!info || !info->supports(QNetworkInformation::Feature::Reachability))
        return true;
    return info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

void realEndProgram(int code)
{
    // No window gets a close event: the windows just go, and the loop returns.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(code);
}

} // namespace

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
