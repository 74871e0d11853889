#include "advert/BoundedDownloader.h"

#include "common/Files.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

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

BoundedDownloader::BoundedDownloader(Limits limits)
    : mLimits(limits), mDeadline(limits.overallDeadline),
      mManager(std::make_unique<QNetworkAccessManager>())
{
    mManager->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

BoundedDownloader::~BoundedDownloader() = default;

Result<QByteArray> BoundedDownloader::fetch(const QUrl &url, qint64 maxBytes)
{
    if (!isWebUrl(url) || maxBytes < 0 || mDeadline.hasExpired())
        return Error::DownloadFailed;
    const qint64 budget =
        std::min<qint64>(mLimits.transferTimeout.count(), mDeadline.remainingTime());

    QNetworkRequest request(url);
    // Asking for the body as it is stored means the size counted is the size kept: no
    // small compressed reply can unpack into something huge.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    QNetworkReply *reply = mManager->get(request);
    QByteArray body;
    bool refused = false;
    QEventLoop loop;

    const auto refuse = [&] {
        if (!refused) {
            refused = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl &target) {
        // Only to another web address: never to a local file or another scheme.
        if (isWebUrl(reply->url().resolved(target)))
            emit reply->redirectAllowed();
        else
            refuse();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            refuse();
        const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (!encoding.isEmpty() && encoding != "identity")
            refuse();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(maxBytes + 1 - body.size());
        if (body.size() > maxBytes)
            refuse();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(budget, &loop, refuse);

    // The window keeps painting meanwhile but takes no input: nothing can act on a
    // half-written panel.
    if (!reply->isFinished() && !refused)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!refused && reply->error() == QNetworkReply::NoError) {
        body += reply->read(maxBytes + 1 - body.size());
        if (body.size() > maxBytes)
            refused = true;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = !length.isValid() || length.toLongLong() == body.size();
    const bool ok = !refused && reply->error() == QNetworkReply::NoError && status >= 200 &&
                    status <= 299 && complete;
    reply->disconnect(&loop);
    delete reply;
    if (!ok)
        return Error::DownloadFailed;
    return body;
}

Result<> BoundedDownloader::DownloadUrlToFile(const QUrl &url, const QString &localFile,
                                              qint64 maxBytes)
{
    if (localFile.isEmpty())
        return Error::BadFileName;
    const Result<QByteArray> body = fetch(url, maxBytes);
    if (!body)
        return body.error();
    return Files::replace(localFile, *body);
}
