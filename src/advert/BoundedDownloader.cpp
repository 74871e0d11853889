// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/BoundedDownloader.h"

#include "common/Files.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <utility>

namespace {

BoundedDownloader::Limits &limitsInForce()
{
    static BoundedDownloader::Limits limits;
    return limits;
}

} // namespace

bool isWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

BoundedDownloader::Limits BoundedDownloader::defaultLimits()
{
    return limitsInForce();
}

void BoundedDownloader::setDefaultLimits(Limits limits)
{
    limitsInForce() = limits;
}

BoundedDownloader::BoundedDownloader(Limits limits, QObject *parent)
    : QObject(parent), mLimits(limits), mDeadline(limits.overallDeadline),
      mManager(std::make_unique<QNetworkAccessManager>())
{
    mManager->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    mTransferTimer.setSingleShot(true);
    // A coarse timer may fire early, and a fetch cut short early would leave the next
    // one a sliver of the deadline to start in.
    mTransferTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTransferTimer, &QTimer::timeout, this, &BoundedDownloader::refuse);
}

BoundedDownloader::~BoundedDownloader()
{
    if (!mReply)
        return;
    // Cut loose first: whoever owns this downloader may be half gone by now, and the
    // reply reports its end while it is aborted.
    mReply->disconnect(this);
    mReply->abort();
    delete mReply;
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
    mLocalFile = localFile;
    mMaxBytes = maxBytes;
    mBody.clear();
    mRefused = false;

    QNetworkRequest request(url);
    // Asking for the body as it is stored means the size counted is the size kept: no
    // small compressed reply can unpack into something huge.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    mReply = mManager->get(request);
    connect(mReply, &QNetworkReply::redirected, this, &BoundedDownloader::onRedirected);
    connect(mReply, &QNetworkReply::metaDataChanged, this, &BoundedDownloader::checkHeaders);
    connect(mReply, &QNetworkReply::readyRead, this, &BoundedDownloader::takeBody);
    connect(mReply, &QNetworkReply::finished, this, &BoundedDownloader::onReplyFinished);
    const qint64 budget =
        std::min<qint64>(mLimits.transferTimeout.count(), mDeadline.remainingTime());
    mTransferTimer.start(static_cast<int>(budget));
}

void BoundedDownloader::refuse()
{
    if (!mReply || mRefused)
        return;
    mRefused = true;
    mReply->abort(); // reports the end at once, through onReplyFinished
}

void BoundedDownloader::onRedirected(const QUrl &target)
{
    // Only to another web address: never to a local file or another scheme.
    if (isWebUrl(mReply->url().resolved(target)))
        emit mReply->redirectAllowed();
    else
        refuse();
}

void BoundedDownloader::checkHeaders()
{
    // Refusing ends the fetch at once, so both are looked at first.
    const QVariant length = mReply->header(QNetworkRequest::ContentLengthHeader);
    const bool tooLong = length.isValid() && length.toLongLong() > mMaxBytes;
    const QByteArray encoding = mReply->rawHeader("Content-Encoding").trimmed().toLower();
    const bool packed = !encoding.isEmpty() && encoding != "identity";
    if (tooLong || packed)
        refuse();
}

void BoundedDownloader::takeBody()
{
    mBody += mReply->read(mMaxBytes + 1 - mBody.size());
    if (mBody.size() > mMaxBytes)
        refuse();
}

void BoundedDownloader::onReplyFinished()
{
    QNetworkReply *reply = std::exchange(mReply, nullptr);
    mTransferTimer.stop();
    reply->disconnect(this);
    // Not deleted here: the reply is still inside its own signal.
    reply->deleteLater();

    if (!mRefused && reply->error() == QNetworkReply::NoError) {
        mBody += reply->read(mMaxBytes + 1 - mBody.size());
        if (mBody.size() > mMaxBytes)
            mRefused = true;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = !length.isValid() || length.toLongLong() == mBody.size();
    const bool ok = !mRefused && reply->error() == QNetworkReply::NoError && status >= 200 &&
                    status <= 299 && complete;
    const Result<> result =
        ok ? Files::replace(mLocalFile, mBody) : Result<>(Error::DownloadFailed);
    mBody.clear();
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
