#include "Controls.h"
#include "FakeSeams.h"
#include "ScriptedHttpServer.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "advert/BoundedDownloader.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "common/TriCheckBox.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace std::chrono_literals;
using Kind = ScriptedHttpServer::Kind;

using TestTrees::readAll;
using TestTrees::writeAll;

namespace {



/** A 1 x 1 GIF: Qt reads GIF but cannot write it. */
QByteArray gif()
{
    return QByteArray::fromHex("47494638396101000100800000000000ffffff21f9040000000000"
                               "2c00000000010001000002024401003b");
}

QByteArray picture(const char *format, QColor colour)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool hasPictureLoaded(const QTextBrowser &browser, const QString &name)
{
    const QVariant resource =
        browser.document()->resource(QTextDocument::ImageResource, QUrl(name));
    // A refused picture is an invisible stand-in; the real ones here are opaque.
    const QImage image = resource.value<QImage>();
    return !image.isNull() && qAlpha(image.pixel(0, 0)) == 255;
}

const QByteArray kServerPage = "<body text=\"#0000FF\" bgcolor=\"#FFFFFF\"><p>From the server</p>"
                               "<img src=\"vivrel4.jpg\"><img src=\"vivrel4.gif\">";

} // namespace

class TestAdvertPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mTemp;
    QString page() const { return mTemp->filePath(QStringLiteral("vivrel4.htm")); }

    void pointStoreAt(const ScriptedHttpServer &server)
    {
        QSettings().setValue(QStringLiteral("Advert/BaseUrl"), server.url("/tremallo"));
    }

    void serveAdvert(ScriptedHttpServer &server)
    {
        server.set("/tremallo/advt/vivrel/vivrel4.htm", {Kind::Ok, kServerPage, 200, {}});
        server.set("/tremallo/advt/vivrel/vivrel4.jpg",
                   {Kind::Ok, picture("JPG", Qt::green), 200, {}});
        server.set("/tremallo/advt/vivrel/vivrel4.gif", {Kind::Ok, gif(), 200, {}});
    }

private slots:
    void deeplyNestedTablesAreFlattened()
    {
        // The text engine's table layout grows exponentially with nesting: a hostile
        // page of a few hundred bytes would freeze the window.
        const QString shallow = QStringLiteral("<table><tr><td><table><tr><td>x</td></tr></table>");
        QCOMPARE(tamedPage(shallow), shallow);
        QString deep;
        for (int i = 0; i < 12; ++i)
            deep += QStringLiteral("<TABLE border=1><tr><td>cell ");
        const QString tamed = tamedPage(deep);
        QVERIFY(!tamed.contains(QLatin1String("<table"), Qt::CaseInsensitive));
        QVERIFY(!tamed.contains(QLatin1String("<td"), Qt::CaseInsensitive));
        QCOMPARE(tamed.count(QLatin1String("cell")), 12);
        QCOMPARE(tamed.count(QLatin1String("<div border=1>")), 12);
    }

    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("TremalloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("VivrelPanelTest"));
        BoundedDownloader::setDefaultLimits({500ms, 1500ms});
    }

    void init()
    {
        mTemp = std::make_unique<QTemporaryDir>();
        Module1::mTempPath() = mTemp->path() + u'/';
        QSettings().remove(QStringLiteral("Advert"));
    }

    void firstStartWritesAndShowsTheComposedPage()
    {
        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QCOMPARE(AdvertPanel::pageFile(*c.WebBrowser1), page());
        QVERIFY(c.WebBrowser1->toPlainText().contains(QStringLiteral("Thank You For Using:")));

        // Red text on the light orange ground, as the body tag asks.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage shot = c.WebBrowser1->viewport()->grab().toImage();
        const QRgb ground = qRgb(0xFC, 0xD5, 0xB1);
        QCOMPARE(shot.pixel(shot.width() - 2, shot.height() - 2), ground);
        bool red = false;
        for (int y = 0; y < shot.height() && !red; ++y) {
            for (int x = 0; x < shot.width() && !red; ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                red = pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
            }
        }
        QVERIFY(red);
    }

    void aPageAlreadyThereIsKept()
    {
        writeAll(page(), "<p>downloaded last time</p>");
        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        QCOMPARE(readAll(page()), QByteArray("<p>downloaded last time</p>"));
        QCOMPARE(c.WebBrowser1->toPlainText(), QStringLiteral("downloaded last time"));
    }

    void aLinkAtThePageNameIsReplaced()
    {
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        writeAll(victim, "<p>not yours</p>");
        QVERIFY(QFile::link(victim, page()));
        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        QVERIFY(!QFileInfo(page()).isSymLink());
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QCOMPARE(readAll(victim), QByteArray("<p>not yours</p>"));
        QVERIFY(!c.WebBrowser1->toPlainText().contains(QStringLiteral("not yours")));
    }

    void privateFolderWhenNoneIsSet()
    {
        Module1::mTempPath().clear();
        frmVivrel w;
        w.PrepareAdvertPanel();
        const QString folder = Module1::mTempPath();
        QVERIFY(!folder.isEmpty());
        QVERIFY(folder.endsWith(QDir::separator()));
        QVERIFY(QDir::isAbsolutePath(folder));
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFileDevice::Permissions());
        QCOMPARE(readAll(folder + QStringLiteral("vivrel4.htm")), AdvertPage::composedPage());
        QFile::remove(folder + QStringLiteral("vivrel4.htm"));
    }

    void onLineFetchesThreeFilesOncePerRun()
    {
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        pointStoreAt(server);

        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        w.DownloadAdvert();
        QCOMPARE(server.paths, (QList<QByteArray>{"/tremallo/advt/vivrel/vivrel4.htm",
                                                  "/tremallo/advt/vivrel/vivrel4.jpg",
                                                  "/tremallo/advt/vivrel/vivrel4.gif"}));
        QCOMPARE(readAll(page()), kServerPage);
        QCOMPARE(readAll(mTemp->filePath(QStringLiteral("vivrel4.gif"))), gif());
        // Reloaded: the fetched page, its colours and both pictures.
        QVERIFY(c.WebBrowser1->toPlainText().contains(QStringLiteral("From the server")));
        QCOMPARE(c.WebBrowser1->palette().color(QPalette::Text), QColor(0, 0, 255));
        QVERIFY(hasPictureLoaded(*c.WebBrowser1, QStringLiteral("vivrel4.jpg")));
        QVERIFY(hasPictureLoaded(*c.WebBrowser1, QStringLiteral("vivrel4.gif")));

        w.DownloadAdvert(); // fetched once in this run: not again
        QCOMPARE(server.paths.size(), 3);
    }

    void runningShowWaitsForTheDownload()
    {
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        // A slow page: the download lets events run for a while.
        server.set("/tremallo/advt/vivrel/vivrel4.htm", {Kind::Trickle, "<p>slow</p>", 200, {}});
        pointStoreAt(server);

        QTemporaryDir pictures;
        const QStringList names = {"p0.jpg", "p1.jpg", "p2.jpg"};
        for (const QString &name : names)
            TestTrees::writePicture(pictures.filePath(name), 8, 8, "jpg");
        frmVivrel w;
        const MainControls c(w);
        c.list->appendFolder(pictures.path() + u'/', names);
        for (int i = 0; i < names.size(); ++i)
            c.File1->setSelected(i, true);
        c.chkRepeat->setValue(1);
        c.Text1->setText(QStringLiteral("0.001"));
        w.cmdResume_Click(); // running before the first Start Show of the run
        QVERIFY(c.Timer1->isEnabled());

        // Start Show begins at the first picture, however long its download took, and
        // then waits its own interval: no step that fell due meanwhile comes after.
        c.Text1->setText(QStringLiteral("30"));
        w.cmdStart_Click();
        QCOMPARE(server.paths.size(), 3);
        QCoreApplication::processEvents();
        QCOMPARE(c.lblFileName->text(), pictures.filePath(QStringLiteral("p0.jpg")));
        QCOMPARE(w.showPosition(), 1);
        QVERIFY(c.Timer1->isEnabled());
    }

    void offLineFetchesNothingAndStillReloads()
    {
        FakeSeams fake;
        fake.online = false;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        pointStoreAt(server);

        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        writeAll(page(), "<p>changed on disk</p>");
        w.DownloadAdvert();
        QVERIFY(server.paths.isEmpty());
        QCOMPARE(c.WebBrowser1->toPlainText(), QStringLiteral("changed on disk"));

        // Back on line later in the same run: still nothing.
        fake.online = true;
        w.DownloadAdvert();
        QVERIFY(server.paths.isEmpty());
    }

    void failedFetchesLeaveTheEarlierPage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("404") << int(Kind::Ok) << 404;
        QTest::newRow("silent server") << int(Kind::Silent) << 0;
    }

    void failedFetchesLeaveTheEarlierPage()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        for (const char *name : {"htm", "jpg", "gif"})
            server.set(QByteArray("/tremallo/advt/vivrel/vivrel4.") + name,
                       {Kind(kind), "<p>error page</p>", status, {}});
        pointStoreAt(server);

        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        QElapsedTimer clock;
        clock.start();
        w.DownloadAdvert();
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QVERIFY(!QFile::exists(mTemp->filePath(QStringLiteral("vivrel4.jpg"))));
        QVERIFY(c.WebBrowser1->toPlainText().contains(QStringLiteral("Thank You For Using:")));

        // Tried once in this run, even though it failed: not again.
        const qsizetype asked = server.paths.size();
        w.DownloadAdvert();
        QCOMPARE(server.paths.size(), asked);
    }

    void panelLoadsOnlyItsOwnPictures()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.set("/x.gif", {Kind::Ok, gif(), 200, {}});
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("vivrel4.gif"));
        writeAll(outside, gif());
        writeAll(mTemp->filePath(QStringLiteral("vivrel4.jpg")), picture("JPG", Qt::green));
        writeAll(mTemp->filePath(QStringLiteral("other.gif")), gif());
        QVERIFY(QDir(mTemp->path()).mkdir(QStringLiteral("sub")));
        writeAll(mTemp->filePath(QStringLiteral("sub/vivrel4.gif")), gif());
        const QString remote = server.url("/x.gif");
        const QString localUrl = QUrl::fromLocalFile(outside).toString();
        const QString dataUrl =
            QStringLiteral("data:image/gif;base64,") + QString::fromLatin1(gif().toBase64());
        writeAll(page(), QStringLiteral("<p>pictures</p><img src=\"vivrel4.jpg\"><img src=\"%1\">"
                                     "<img src=\"%2\"><img src=\"%3\"><img src=\"%4\">"
                                     "<img src=\"other.gif\"><img src=\"sub/vivrel4.gif\">")
                          .arg(remote, localUrl, dataUrl, outside)
                          .toUtf8());

        const int processLimit = QImageReader::allocationLimit();
        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        c.WebBrowser1->viewport()->grab(); // lays out and paints every picture
        QVERIFY(hasPictureLoaded(*c.WebBrowser1, QStringLiteral("vivrel4.jpg")));
        // The panel's own small limit holds for its pictures alone, not for the slides'.
        QCOMPARE(QImageReader::allocationLimit(), processLimit);
        for (const QString &refused :
             {remote, localUrl, dataUrl, outside, QStringLiteral("other.gif"),
              QStringLiteral("sub/vivrel4.gif")})
            QVERIFY2(!hasPictureLoaded(*c.WebBrowser1, refused), qPrintable(refused.left(60)));
        QVERIFY(server.paths.isEmpty());
    }

    void linksOpenOnlyWebAddresses()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        w.PrepareAdvertPanel();
        for (const char *link :
             {"http://www.tremallo.example/offer", "https://a.example/x?y=1", "file:///etc/passwd",
              "javascript:alert(1)", "mailto:a@b.example", "vivrel4.htm"})
            emit c.WebBrowser1->anchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(fake.shellTargets,
                 (QStringList{"http://www.tremallo.example/offer", "https://a.example/x?y=1"}));
    }
};

VIVREL_TEST_MAIN(TestAdvertPanel)
#include "tst_advertpanel.moc"
