// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/BoundedDownloader.h"

#include "common/Files.h"
#include "network/NetworkModule.h"

#include <algorithm>
#include <utility>

namespace {

BoundedDownloader::Limits &limitsInForce()
{
    static BoundedDownloader::Limits limits;
    return limits;
}

} // namespace

BoundedDownloader::Limits BoundedDownloader::defaultLimits()
{
    return limitsInForce();
}

void BoundedDownloader::setDefaultLimits(Limits limits)
{
    limitsInForce() = limits;
}

BoundedDownloader::BoundedDownloader(Limits limits, QObject *parent)
    : QObject(parent), mLimits(limits), mDeadline(limits.overallDeadline)
{
    mTransferTimer.setSingleShot(true);
    // A coarse timer may fire early, and a fetch cut short early would leave the next
    // one a sliver of the deadline to start in.
    mTransferTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTransferTimer, &QTimer::timeout, this, &BoundedDownloader::refuse);
}

BoundedDownloader::~BoundedDownloader()
{
    // Whoever owns this downloader may be half gone by now: the fetch in flight goes
    // without a word.
    mTransfer.reset();
}

void BoundedDownloader::DownloadUrlToFile(const QUrl &url, const QString &localFile,
                                          qint64 maxBytes)
{
    Q_ASSERT(!mBusy);
    if (mBusy)
        return;
    mBusy = true;
    if (localFile.isEmpty()) {
        reportLater(Error::BadFileName);
        return;
    }
    if (!isWebUrl(url) || maxBytes < 0 || mDeadline.hasExpired()) {
        reportLater(Error::DownloadFailed);
        return;
    }
    if (!mClient) {
        if (Web::Module *module = NetworkModule::get())
            mClient = module->newClient();
    }
    if (!mClient) {
        reportLater(Error::DownloadFailed);
        return;
    }
    mLocalFile = localFile;
    mTransfer = mClient->get(
        url, maxBytes, [this](std::optional<QByteArray> body) { onFetched(std::move(body)); });
    const qint64 budget =
        std::min<qint64>(mLimits.transferTimeout.count(), mDeadline.remainingTime());
    mTransferTimer.start(static_cast<int>(budget));
}

void BoundedDownloader::refuse()
{
    if (mTransfer)
        mTransfer->abort(); // reports the end at once, through onFetched
}

void BoundedDownloader::onFetched(std::optional<QByteArray> body)
{
    // Called by the transfer itself, which is done with by now.
    mTransfer.reset();
    mTransferTimer.stop();
    const Result<> result =
        body ? Files::replace(mLocalFile, *body) : Result<>(Error::DownloadFailed);
    mBusy = false;
    emit finished(result);
}

void BoundedDownloader::reportLater(Result<> result)
{
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            mBusy = false;
            emit finished(result);
        },
        Qt::QueuedConnection);
}
