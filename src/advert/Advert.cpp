// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/Advert.h"

#include "advert/AdvertDownload.h"
#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "common/Files.h"
#include "common/Module1.h"
#include "common/Seams.h"
#include "widgets/PictureElement.h"

#include <QCoreApplication>
#include <QTextBrowser>
#include <QWidget>

namespace {

QString privateFolder()
{
    if (Module1::mTempPath().isEmpty())
        Module1::initTempPath();
    return Module1::mTempPath();
}

} // namespace

Advert::Advert(QTextBrowser *browser, QWidget *window, std::function<QString()> storedBaseUrl)
    : QObject(window), mBrowser(browser), mWindow(window), mStoredBaseUrl(std::move(storedBaseUrl))
{}

void Advert::PrepareAdvertPanel()
{
    const QString page = privateFolder() + AdvertPage::pageName();
    // A page from an earlier run (composed or fetched) stays; a link at the name does not
    // count as a page and is replaced.
    if (!Files::check(page, Files::NoLinks)) {
        // Nothing to show then but an empty panel, as with a page that does not read.
        static_cast<void>(Files::replace(page, AdvertPage::composedPage()));
    }
    AdvertPanel::showPage(*mBrowser, page);
}

void Advert::DownloadAdvert()
{
    if (mFetched)
        return;
    // Tried once per run, whatever comes of it: a Start Show while the files are still
    // coming starts no second download.
    mFetched = true;
    if (!seams().isOnline()) {
        AdvertPanel::reload(*mBrowser);
        return;
    }
    // Nothing waits for the files: the panel is hidden while the show runs, and it is
    // reloaded only once the last fetch has ended. A program that ends meanwhile drops
    // the fetch in flight, and the files it had not replaced stay as they were.
    auto *download =
        new AdvertDownload(AdvertPage::baseUrl(mStoredBaseUrl()), privateFolder(), this);
    download->setObjectName(QStringLiteral("advertDownload"));
    connect(download, &AdvertDownload::ended, this, [this, download] {
        download->deleteLater();
        AdvertPanel::reload(*mBrowser);
    });
    download->start();
}

void Advert::startAdvertDownload()
{
    // Only the start of the download happens under this caption: the show does not wait
    // for the files to come. The text is the main window's, and translated as its.
    const QString caption = mWindow->windowTitle();
    mWindow->setWindowTitle(QCoreApplication::translate("frmVivrel", "Initializing..."));
    mWindow->setCursor(Qt::WaitCursor);
    DownloadAdvert();
    mWindow->setWindowTitle(caption);
    mWindow->unsetCursor();
}

void Advert::startWithShow(bool selfStarted)
{
    if (selfStarted && !mFetched && !PictureElement::firstPicturePainted()) {
        // A show that started by itself puts its first picture up before anything else:
        // the download, and the network status and libraries it loads, begin right after
        // that picture is on screen (or after a moment, should none come).
        mFetched = true;
        PictureElement::afterFirstPictureOrWait(this, [this] {
            mFetched = false;
            startAdvertDownload();
        });
    } else {
        startAdvertDownload();
    }
}
