// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's web panel: the page shown at start-up and the once-per-run fetch
// of the maker's page and pictures.

#include "advert/AdvertDownload.h"
#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/Module1.h"
#include "common/Seams.h"
#include "config/StartUp.h"

#include <QTextBrowser>

namespace {

QString privateFolder()
{
    if (Module1::mTempPath().isEmpty())
        Module1::initTempPath();
    return Module1::mTempPath();
}

} // namespace

void frmVivrel::PrepareAdvertPanel()
{
    const QString page = privateFolder() + AdvertPage::pageName();
    // A page from an earlier run (composed or fetched) stays; a link at the name does not
    // count as a page and is replaced.
    if (!Files::check(page, Files::NoLinks)) {
        // Nothing to show then but an empty panel, as with a page that does not read.
        static_cast<void>(Files::replace(page, AdvertPage::composedPage()));
    }
    AdvertPanel::showPage(*WebBrowser1, page);
}

void frmVivrel::DownloadAdvert()
{
    if (mAdvertFetched)
        return;
    // Tried once per run, whatever comes of it: a Start Show while the files are still
    // coming starts no second download.
    mAdvertFetched = true;
    if (!seams().isOnline()) {
        AdvertPanel::reload(*WebBrowser1);
        return;
    }
    // Nothing waits for the files: the panel is hidden while the show runs, and it is
    // reloaded only once the last fetch has ended. A program that ends meanwhile drops
    // the fetch in flight, and the files it had not replaced stay as they were.
    auto *download = new AdvertDownload(AdvertPage::baseUrl(StartUp::storedAdvertBaseUrl()),
                                        privateFolder(), this);
    download->setObjectName(QStringLiteral("advertDownload"));
    connect(download, &AdvertDownload::ended, this, [this, download] {
        download->deleteLater();
        AdvertPanel::reload(*WebBrowser1);
    });
    download->start();
}
