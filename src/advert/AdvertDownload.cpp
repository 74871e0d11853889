// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/AdvertDownload.h"

#include "advert/AdvertPage.h"

#include <array>

namespace {

struct RemoteFile
{
    QString (*name)();
    qint64 cap;
};

/** Fetched in this order: the page, then its pictures. */
constexpr std::array kRemoteFiles{
    RemoteFile{AdvertPage::pageName, AdvertPage::kPageCap},
    RemoteFile{AdvertPage::jpegName, AdvertPage::kPictureCap},
    RemoteFile{AdvertPage::gifName, AdvertPage::kPictureCap},
};

} // namespace

AdvertDownload::AdvertDownload(const QString &baseUrl, const QString &folder, QObject *parent)
    : QObject(parent), mBaseUrl(baseUrl), mFolder(folder)
{
    // A fetch that fails leaves the file from before, and the panel shows that.
    connect(&mDownloader, &BoundedDownloader::finished, this, &AdvertDownload::fetchNext);
}

void AdvertDownload::start()
{
    mNext = 0;
    fetchNext();
}

void AdvertDownload::fetchNext()
{
    if (mNext >= int(kRemoteFiles.size())) {
        emit ended();
        return;
    }
    const RemoteFile &file = kRemoteFiles[mNext++];
    mDownloader.DownloadUrlToFile(AdvertPage::remoteUrl(mBaseUrl, file.name()),
                                  mFolder + file.name(), file.cap);
}
