// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScriptedHttpServer.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "advert/BoundedDownloader.h"
#include "config/SettingsStore.h"
#include "config/StartUp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace std::chrono_literals;
using Kind = ScriptedHttpServer::Kind;

using TestTrees::readAll;
using TestTrees::writeAll;

namespace {

const BoundedDownloader::Limits kQuick{1000ms, 3000ms};

/** How one fetch ended, seen from the event loop that it runs in. */
struct Fetched
{
    /** Reported after DownloadUrlToFile returned, as a chain of fetches needs. */
    bool reportedLater = false;
    /** Reported exactly once. */
    bool reportedOnce = false;
    bool replaced = false;
};

/** Runs one fetch to its end, as the program's event loop would. */
Fetched fetchNow(BoundedDownloader &downloader, const QUrl &url, const QString &local,
                 qint64 maxBytes)
{
    int reports = 0;
    bool replaced = false;
    const QMetaObject::Connection outcome =
        QObject::connect(&downloader, &BoundedDownloader::finished, [&](Result<> result) {
            ++reports;
            replaced = result.ok();
        });
    downloader.DownloadUrlToFile(url, local, maxBytes);
    Fetched fetched;
    fetched.reportedLater = reports == 0 && QTest::qWaitFor([&] { return reports > 0; }, 20000);
    QCoreApplication::processEvents(); // a second report would come from the event loop too
    fetched.reportedOnce = reports == 1 && !downloader.isBusy();
    fetched.replaced = replaced;
    QObject::disconnect(outcome);
    return fetched;
}

/** `data` as a gzip member, so a client that inflated it would get it all back. */
QByteArray gzipped(const QByteArray &data)
{
    // qCompress gives a length, a zlib header, the raw deflate stream and a checksum.
    const QByteArray zlib = qCompress(data, 9);
    const QByteArray deflate = zlib.mid(6, zlib.size() - 10);
    quint32 table[256];
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    quint32 crc = 0xffffffffu;
    for (const char b : data)
        crc = table[(crc ^ uchar(b)) & 0xff] ^ (crc >> 8);
    crc ^= 0xffffffffu;
    const auto le32 = [](quint32 v) {
        QByteArray out;
        for (int i = 0; i < 4; ++i)
            out += char((v >> (8 * i)) & 0xff);
        return out;
    };
    return QByteArray::fromHex("1f8b08000000000000ff") + deflate + le32(crc) +
           le32(quint32(data.size()));
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("TremalloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("VivrelDownloadTest"));
    }

    void composedPage()
    {
        const QByteArray page = AdvertPage::composedPage();
        QCOMPARE(page, QByteArray("<body text=\"#FF0000\" bgcolor=\"#FCD5B1\">\r\n"
                                  "<div style='width:120;height:10'>\r\n"
                                  "<b><font size= 2 >Thank You For Using: </font>Tremallo&nbsp;"
                                  "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; V i v r e l</b>\r\n"));
        QCOMPARE(page.count("\r\n"), 3);
        QCOMPARE(page.count('\n'), 3);
    }

    void remoteUrls_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("maker") << "http://ads.tremallo.example/tremallo"
                               << "http://ads.tremallo.example/tremallo/advt/vivrel/vivrel4.jpg";
        QTest::newRow("trailing slash") << "http://127.0.0.1:8080/t/"
                                        << "http://127.0.0.1:8080/t/advt/vivrel/vivrel4.jpg";
    }

    void remoteUrls()
    {
        QFETCH(QString, base);
        QFETCH(QString, expected);
        QCOMPARE(AdvertPage::remoteUrl(base, AdvertPage::jpegName()).toString(), expected);
    }

    void baseUrlFromTheStore()
    {
        const std::unique_ptr<QSettings> settings = SettingsStore::open();
        settings->remove(QStringLiteral("Advert"));
        QCOMPARE(AdvertPage::baseUrl(StartUp::storedAdvertBaseUrl()),
                 QStringLiteral("http://ads.tremallo.example/tremallo"));
        settings->setValue(QStringLiteral("Advert/BaseUrl"),
                           QStringLiteral("http://127.0.0.1:9/x"));
        QCOMPARE(AdvertPage::baseUrl(StartUp::storedAdvertBaseUrl()),
                 QStringLiteral("http://127.0.0.1:9/x"));
        settings->remove(QStringLiteral("Advert"));
    }

    void bodyColours_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("composed page") << QString::fromLatin1(AdvertPage::composedPage())
                                       << QColor(255, 0, 0) << QColor(0xFC, 0xD5, 0xB1);
        QTest::newRow("single quotes, upper case")
            << "<HTML><BODY BGCOLOR='navy' TEXT='#00ff00'>x" << QColor(0, 255, 0) << QColor("navy");
        QTest::newRow("bare values")
            << "<body link=blue text=#123456>" << QColor(0x12, 0x34, 0x56) << QColor();
        QTest::newRow("no body") << "<p text=red>x</p>" << QColor() << QColor();
        QTest::newRow("bad colour") << "<body text=\"nonsense\">" << QColor() << QColor();
    }

    void bodyColours()
    {
        QFETCH(QString, html);
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        const PageColours colours = pageColoursOf(html);
        QCOMPARE(colours.text, text);
        QCOMPARE(colours.background, background);
    }

    void replies_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("replaced");
        const QByteArray page = "<p>fresh page</p>";
        QTest::newRow("200") << int(Kind::Ok) << 200 << page << true;
        QTest::newRow("204 empty") << int(Kind::Ok) << 204 << QByteArray() << true;
        QTest::newRow("404 error page") << int(Kind::Ok) << 404 << page << false;
        QTest::newRow("500") << int(Kind::Ok) << 500 << page << false;
        QTest::newRow("silent") << int(Kind::Silent) << 0 << page << false;
        QTest::newRow("trickle") << int(Kind::Trickle) << 0 << QByteArray(2000, 'x') << false;
        QTest::newRow("truncated") << int(Kind::Truncated) << 0 << page << false;
        QTest::newRow("no length, within cap") << int(Kind::Undeclared) << 0 << page << true;
        QTest::newRow("declared over cap")
            << int(Kind::Ok) << 200 << QByteArray(2049, 'x') << false;
        QTest::newRow("undeclared over cap")
            << int(Kind::Undeclared) << 0 << QByteArray(2049, 'x') << false;
        QTest::newRow("exactly the cap") << int(Kind::Ok) << 200 << QByteArray(2048, 'x') << true;
        QTest::newRow("gzip despite identity") << int(Kind::Gzip) << 0 << page << false;
        QTest::newRow("gzip bomb")
            << int(Kind::Gzip) << 0 << gzipped(QByteArray(20 * 1024 * 1024, '\0')) << false;
        QTest::newRow("50 MB page, declared")
            << int(Kind::Ok) << 200 << QByteArray(50 * 1024 * 1024, 'x') << false;
        QTest::newRow("50 MB page, undeclared")
            << int(Kind::Undeclared) << 0 << QByteArray(50 * 1024 * 1024, 'x') << false;
        QTest::newRow("403 error page") << int(Kind::Ok) << 403 << page << false;
        QTest::newRow("301 without a place") << int(Kind::Ok) << 301 << page << false;
    }

    void replies()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, replaced);
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.set("/file", {Kind(kind), body, status, {}});
        QTemporaryDir dir;
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        writeAll(local, "earlier");

        BoundedDownloader downloader(kQuick);
        QElapsedTimer clock;
        clock.start();
        const Fetched fetched = fetchNow(downloader, QUrl(server.url("/file")), local, 2048);
        QVERIFY(fetched.reportedLater);
        QVERIFY(fetched.reportedOnce);
        QCOMPARE(fetched.replaced, replaced);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(readAll(local), replaced ? body : QByteArray("earlier"));
        // Qt's network stack may send a request again once when the server hangs up
        // early; it must never ask for anything else, nor for a compressed body.
        QVERIFY(!server.paths.isEmpty() && server.paths.size() <= 2);
        QVERIFY(std::all_of(server.paths.cbegin(), server.paths.cend(),
                            [](const QByteArray &p) { return p == "/file"; }));
        QVERIFY(std::all_of(server.acceptEncodings.cbegin(), server.acceptEncodings.cend(),
                            [](const QByteArray &e) { return e == "identity"; }));
        // Nothing but the file itself is left behind in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("vivrel4.htm")});
    }

    void redirects_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("same server") << QByteArray("/moved") << true;
        QTest::newRow("local file") << QByteArray("file:///etc/hostname") << false;
        QTest::newRow("other scheme") << QByteArray("ftp://127.0.0.1/x") << false;
    }

    void redirects()
    {
        QFETCH(QByteArray, location);
        QFETCH(bool, replaced);
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.set("/file", {Kind::Redirect, {}, 302, location});
        server.set("/moved", {Kind::Ok, "moved here", 200, {}});
        QTemporaryDir dir;
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        writeAll(local, "earlier");

        BoundedDownloader downloader(kQuick);
        QCOMPARE(fetchNow(downloader, QUrl(server.url("/file")), local, 2048).replaced, replaced);
        QCOMPARE(readAll(local), replaced ? QByteArray("moved here") : QByteArray("earlier"));
    }

    void refusedConnection()
    {
        // A port that was just free: nothing listens there any more.
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        QTemporaryDir dir;
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        writeAll(local, "earlier");
        BoundedDownloader downloader(kQuick);
        QElapsedTimer clock;
        clock.start();
        const Fetched fetched = fetchNow(
            downloader, QUrl(QStringLiteral("http://127.0.0.1:%1/file").arg(port)), local, 2048);
        QVERIFY(fetched.reportedLater);
        QVERIFY(!fetched.replaced);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(readAll(local), QByteArray("earlier"));
    }

    void onlyWebAddresses()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source"));
        writeAll(source, "local");
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        BoundedDownloader downloader(kQuick);
        // Refused before anything is asked, and still reported from the event loop.
        for (const QUrl &url :
             {QUrl::fromLocalFile(source), QUrl(QStringLiteral("data:text/html,hello"))}) {
            const Fetched fetched = fetchNow(downloader, url, local, 2048);
            QVERIFY(fetched.reportedLater);
            QVERIFY(fetched.reportedOnce);
            QVERIFY(!fetched.replaced);
        }
        QVERIFY(!QFile::exists(local));
    }

    void overallDeadline()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        for (const char *path : {"/a", "/b", "/c"})
            server.set(path, {Kind::Silent, {}, 0, {}});
        QTemporaryDir dir;
        // Each fetch alone could wait 400 ms; all three together get 600 ms.
        BoundedDownloader downloader({400ms, 600ms});
        QElapsedTimer clock;
        clock.start();
        for (const char *path : {"/a", "/b", "/c"})
            QVERIFY(!fetchNow(downloader, QUrl(server.url(path)), dir.filePath(QStringLiteral("f")),
                              2048)
                         .replaced);
        qDebug() << "DBG" << clock.elapsed() << server.paths;
        QVERIFY(clock.elapsed() < 5000);
        // The third fetch found the time spent and asked nothing.
        QVERIFY(server.paths.size() < 3);
    }

    void droppedMidFetch()
    {
        // The program may end while a body is still coming: the fetch goes with the
        // downloader, reports nothing, and leaves the file as it was with nothing beside it.
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.set("/file", {Kind::Trickle, QByteArray(2000, 'x'), 200, {}});
        QTemporaryDir dir;
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        writeAll(local, "earlier");
        int reports = 0;
        {
            BoundedDownloader downloader({60s, 60s});
            QObject::connect(&downloader, &BoundedDownloader::finished, [&reports] { ++reports; });
            downloader.DownloadUrlToFile(QUrl(server.url("/file")), local, 4096);
            QTRY_VERIFY(!server.paths.isEmpty());
            QVERIFY(downloader.isBusy());
        }
        QCoreApplication::processEvents();
        QCOMPARE(reports, 0);
        QCOMPARE(readAll(local), QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("vivrel4.htm")});
    }

    void linkAtTheNameIsReplacedNotFollowed()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.set("/file", {Kind::Ok, "fresh", 200, {}});
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        writeAll(victim, "precious");
        const QString local = dir.filePath(QStringLiteral("vivrel4.htm"));
        QVERIFY(QFile::link(victim, local));

        BoundedDownloader downloader(kQuick);
        QVERIFY(fetchNow(downloader, QUrl(server.url("/file")), local, 2048).replaced);
        QVERIFY(!QFileInfo(local).isSymLink());
        QCOMPARE(readAll(local), QByteArray("fresh"));
        QCOMPARE(readAll(victim), QByteArray("precious"));
    }
};

VIVREL_TEST_MAIN(TestDownload)
#include "tst_download.moc"
