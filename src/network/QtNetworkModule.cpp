// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The network module: every use of Qt Network in the program is here, built as a
// library of its own that the program loads the first time it needs the network.

#include "network/WebAccess.h"

#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <utility>

namespace {

/** One GET through Qt's access manager, bounded in size. */
class HttpTransfer final : public Web::Transfer
{
public:
    HttpTransfer(QNetworkAccessManager &manager, const QUrl &url, qint64 maxBytes,
                 Web::Fetched fetched)
        : mMaxBytes(maxBytes), mFetched(std::move(fetched))
    {
        QNetworkRequest request(url);
        // Asking for the body as it is stored means the size counted is the size kept: no
        // small compressed reply can unpack into something huge.
        request.setRawHeader("Accept-Encoding", "identity");
        request.setMaximumRedirectsAllowed(5);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        mReply = manager.get(request);
        QNetworkReply *reply = mReply;
        QObject::connect(reply, &QNetworkReply::redirected, &mContext,
                         [this](const QUrl &target) { onRedirected(target); });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &mContext,
                         [this] { checkHeaders(); });
        QObject::connect(reply, &QNetworkReply::readyRead, &mContext, [this] { takeBody(); });
        QObject::connect(reply, &QNetworkReply::finished, &mContext, [this] { onFinished(); });
    }

    ~HttpTransfer() override
    {
        if (!mReply)
            return;
        // Cut loose first: the reply reports its end while it is aborted.
        mReply->disconnect(&mContext);
        mReply->abort();
        delete mReply;
    }

    HttpTransfer(const HttpTransfer &) = delete;
    HttpTransfer &operator=(const HttpTransfer &) = delete;

    void abort() override { refuse(); }

private:
    void refuse()
    {
        if (!mReply || mRefused)
            return;
        mRefused = true;
        mReply->abort(); // reports the end at once, through onFinished
    }

    void onRedirected(const QUrl &target)
    {
        // Only to another web address: never to a local file or another scheme.
        if (isWebUrl(mReply->url().resolved(target)))
            emit mReply->redirectAllowed();
        else
            refuse();
    }

    void checkHeaders()
    {
        // Refusing ends the fetch at once, so both are looked at first.
        const QVariant length = mReply->header(QNetworkRequest::ContentLengthHeader);
        const bool tooLong = length.isValid() && length.toLongLong() > mMaxBytes;
        const QByteArray encoding = mReply->rawHeader("Content-Encoding").trimmed().toLower();
        const bool packed = !encoding.isEmpty() && encoding != "identity";
        if (tooLong || packed)
            refuse();
    }

    void takeBody()
    {
        mBody += mReply->read(mMaxBytes + 1 - mBody.size());
        if (mBody.size() > mMaxBytes)
            refuse();
    }

    void onFinished()
    {
        QNetworkReply *reply = mReply.data();
        mReply = nullptr;
        reply->disconnect(&mContext);
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
        std::optional<QByteArray> body;
        if (ok)
            body = std::exchange(mBody, QByteArray());
        mBody.clear();
        // The callback may destroy this transfer: nothing of it is touched afterwards.
        const Web::Fetched fetched = std::exchange(mFetched, nullptr);
        fetched(std::move(body));
    }

    /** The receiver of the reply's signals, so that they can be cut off together. */
    QObject mContext;
    /** Null once the fetch has ended; guarded, as its manager may go first. */
    QPointer<QNetworkReply> mReply;
    qint64 mMaxBytes;
    Web::Fetched mFetched;
    QByteArray mBody;
    bool mRefused = false;
};

class HttpClient final : public Web::Client
{
public:
    HttpClient() { mManager.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy); }

    std::unique_ptr<Web::Transfer> get(const QUrl &url, qint64 maxBytes,
                                       Web::Fetched fetched) override
    {
        return std::make_unique<HttpTransfer>(mManager, url, maxBytes, std::move(fetched));
    }

private:
    QNetworkAccessManager mManager;
};

class QtNetworkModule final : public Web::Module
{
public:
    std::unique_ptr<Web::Client> newClient() override { return std::make_unique<HttpClient>(); }

    Web::Reachability reachability() override
    {
        if (!QNetworkInformation::instance())
            QNetworkInformation::loadDefaultBackend();
        const QNetworkInformation *info = QNetworkInformation::instance();
        if (!info || !info->supports(QNetworkInformation::Feature::Reachability))
            return Web::Reachability::Unknown;
        switch (info->reachability()) {
        case QNetworkInformation::Reachability::Unknown:
            return Web::Reachability::Unknown;
        case QNetworkInformation::Reachability::Disconnected:
            return Web::Reachability::Offline;
        case QNetworkInformation::Reachability::Local:
        case QNetworkInformation::Reachability::Site:
        case QNetworkInformation::Reachability::Online:
            break;
        }
        return Web::Reachability::Online;
    }
};

} // namespace

extern "C" Q_DECL_EXPORT Web::Module *vivrel_network_module(int interfaceVersion)
{
    static QtNetworkModule module;
    return interfaceVersion == Web::kInterfaceVersion ? &module : nullptr;
}
