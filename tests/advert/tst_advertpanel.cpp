// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScriptedHttpServer.h"
#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "advert/AdvertDownload.h"
#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "advert/BoundedDownloader.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "config/SettingsStore.h"
#include "config/StartUp.h"
#include "viewer/frmPreview.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>
#include <QUdpSocket>

#include <optional>

#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
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

/** The maker's server at `server`, in the settings store now in force. */
void pointStoreAt(const ScriptedHttpServer &server)
{
    SettingsStore::open()->setValue(u"Advert/BaseUrl"_s, server.url("/tremallo"));
}

/**
 * A main window as a user has it before Start Show, on line: three pictures listed, its
 * panel up, all selected, the full-screen show at 30 seconds; the maker's server at
 * `server` when one is given.
 */
struct ShowWindow : ShowFixture
{
    explicit ShowWindow(const ScriptedHttpServer *server = nullptr) : ShowFixture(pictureNames(3))
    {
        fake.online = true;
        if (server)
            pointStoreAt(*server);
        w.show();
        selectAll();
        typeInterval(u"30"_s);
        c.chkFullScreen->setValue(1);
    }
    bool downloading() const { return w.findChild<AdvertDownload *>() != nullptr; }
    QString named() const { return c.lblFileName->text(); }
};

/** Short limits, so that a download that is held up ends soon. */
constexpr BoundedDownloader::Limits kTestLimits{500ms, 1500ms};

/** Where the test runs inside a resolver namespace of its own (see resolverNeverAnswers). */
constexpr char kSilentResolverVariable[] = "VIVREL_TEST_SILENT_RESOLVER";

} // namespace

class TestAdvertPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mTemp;
    QString page() const { return mTemp->filePath(QStringLiteral("vivrel4.htm")); }

    void serveAdvert(ScriptedHttpServer &server)
    {
        server.set("/tremallo/advt/vivrel/vivrel4.htm", {Kind::Ok, kServerPage, 200, {}});
        server.set("/tremallo/advt/vivrel/vivrel4.jpg",
                   {Kind::Ok, picture("JPG", Qt::green), 200, {}});
        server.set("/tremallo/advt/vivrel/vivrel4.gif", {Kind::Ok, gif(), 200, {}});
    }

    /**
     * Start Show while the download is held up: the first slide is on show when the
     * click's handler returns, with the caption and the cursor as they were, the
     * download under way and the panel not yet reloaded. Later the deadline ends the
     * download, and the panel reloads with the page it had.
     */
    void startShowWithoutWaiting(ShowWindow &s)
    {
        const QByteArray pageBefore = readAll(page());
        const QString caption = s.w.windowTitle();
        const Qt::CursorShape cursor = s.w.cursor().shape();
        QSignalSpy reloads(s.c.WebBrowser1, &QTextEdit::textChanged);
        struct Seen
        {
            QString named, viewerCaption, caption;
            Qt::CursorShape cursor = Qt::WaitCursor;
            bool picture = false, downloading = false;
            qsizetype reloads = -1;
        };
        std::optional<Seen> seen;
        // Connected after the window's own handler, so it looks right after that returns.
        const QMetaObject::Connection look =
            QObject::connect(s.c.cmdStart, &QToolButton::clicked, &s.w, [&] {
                seen = Seen{
                    .named = s.named(),
                    .viewerCaption = s.viewer().isVisible() ? s.viewer().windowTitle() : QString(),
                    .caption = s.w.windowTitle(),
                    .cursor = s.w.cursor().shape(),
                    .picture = s.v().imgPreview->hasPicture(),
                    .downloading = s.downloading(),
                    .reloads = reloads.size(),
                };
            });
        s.start();
        QObject::disconnect(look);
        QVERIFY(seen);
        QCOMPARE(seen->named, s.path(0));
        QCOMPARE(seen->viewerCaption, s.path(0));
        QCOMPARE(seen->caption, caption);
        QCOMPARE(seen->cursor, cursor);
        QVERIFY(seen->downloading);
        QCOMPARE(seen->reloads, 0);
        // The slide is decoded off the window thread: it comes while the download is
        // still held up, not after it.
        if (!seen->picture) {
            QVERIFY(slideSettled(s.w));
            QVERIFY(s.v().imgPreview->hasPicture());
            QVERIFY(s.downloading());
            QCOMPARE(reloads.size(), 0);
        }

        QTRY_VERIFY_WITH_TIMEOUT(!s.downloading(), 10000);
        QVERIFY(!reloads.isEmpty());
        QCOMPARE(readAll(page()), pageBefore);
        QCOMPARE(s.named(), s.path(0));
    }

    /** resolverNeverAnswers, in the child that has a name server of its own. */
    void startShowWithASilentResolver()
    {
        QUdpSocket nameServer;
        QVERIFY2(nameServer.bind(QHostAddress(QStringLiteral("127.0.0.2")), 53),
                 qPrintable(nameServer.errorString()));
        ShowWindow s;
        QCOMPARE(AdvertPage::baseUrl(StartUp::storedAdvertBaseUrl()),
                 u"http://ads.tremallo.example/tremallo"_s);
        startShowWithoutWaiting(s);
        if (QTest::currentTestFailed())
            return;
        // What held the download up was the name: the question reached the name server,
        // and no answer ever came.
        QVERIFY(nameServer.hasPendingDatagrams());
        QVERIFY(s.c.WebBrowser1->toPlainText().contains(u"Thank You For Using:"_s));
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

    void composedPageKeepsTheNameWhole_data()
    {
        QTest::addColumn<int>("width");  // of the panel
        QTest::addColumn<int>("pixels"); // of the window's font
        QTest::newRow("the main window's panel") << 161 << 11;
        QTest::newRow("narrow") << 120 << 11;
        QTest::newRow("large window font") << 161 << 20;
        QTest::newRow("wide") << 400 << 11;
    }

    void composedPageKeepsTheNameWhole()
    {
#ifdef Q_OS_WIN
        QSKIP("fitted to the fonts Debian installs for the tests; Wine's stand-ins measure "
              "otherwise");
#endif
        QFETCH(int, width);
        QFETCH(int, pixels);
        QTemporaryDir dir;
        const QString file = dir.filePath(AdvertPage::pageName());
        writeAll(file, AdvertPage::composedPage());
        QTextBrowser browser;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixels);
        browser.setFont(font);
        browser.resize(width, 121);
        AdvertPanel::showPage(browser, file);
        QTextDocument *page = browser.document();
        static_cast<void>(page->size());
        QTextBlock line = page->begin();
        while (line.isValid() && !line.text().contains(QLatin1String("Tremallo")))
            line = line.next();
        QVERIFY(line.isValid());
        const QTextLayout *layout = line.layout();
        const int from = int(line.text().indexOf(QLatin1String("Tremallo")));
        const int to = int(line.text().lastIndexOf(u'l'));
        QCOMPARE(layout->lineForTextPosition(from).lineNumber(),
                 layout->lineForTextPosition(to).lineNumber());
        // As large as that allows: one pixel more breaks it or passes the cap.
        const int chosen = QFontInfo(page->defaultFont()).pixelSize();
        QVERIFY(chosen <= pixels * 3 / 2);
        if (chosen < pixels * 3 / 2) {
            QFont larger = page->defaultFont();
            larger.setPixelSize(chosen + 1);
            page->setDefaultFont(larger);
            static_cast<void>(page->size());
            QVERIFY(line.layout()->lineForTextPosition(from).lineNumber() !=
                    line.layout()->lineForTextPosition(to).lineNumber());
        }
        QCOMPARE(readAll(file), AdvertPage::composedPage()); // the page as it was
    }

    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("TremalloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("VivrelPanelTest"));
        BoundedDownloader::setDefaultLimits(kTestLimits);
    }

    void cleanup()
    {
        BoundedDownloader::setDefaultLimits(kTestLimits);
    }

    void init()
    {
        mTemp = std::make_unique<QTemporaryDir>();
        Module1::mTempPath() = mTemp->path() + u'/';
        SettingsStore::open()->remove(QStringLiteral("Advert"));
        SettingsStore::open()->remove(QStringLiteral("Settings"));
    }

    void firstStartWritesAndShowsTheComposedPage()
    {
        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QCOMPARE(AdvertPanel::pageFile(*c.WebBrowser1), page());
        QVERIFY(c.WebBrowser1->toPlainText().contains(u"Thank You For Using:"_s));

        // Red text on the light orange ground, as the body tag asks.
        s.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.w));
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
        ShowFixture s(QStringList{});
        QCOMPARE(readAll(page()), QByteArray("<p>downloaded last time</p>"));
        QCOMPARE(s.c.WebBrowser1->toPlainText(), u"downloaded last time"_s);
    }

    void aLinkAtThePageNameIsReplaced()
    {
#ifdef Q_OS_WIN
        QSKIP("QFile::link makes a shell shortcut there, an ordinary file to the program");
#endif
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        writeAll(victim, "<p>not yours</p>");
        QVERIFY(QFile::link(victim, page()));
        ShowFixture s(QStringList{});
        QVERIFY(!QFileInfo(page()).isSymLink());
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QCOMPARE(readAll(victim), QByteArray("<p>not yours</p>"));
        QVERIFY(!s.c.WebBrowser1->toPlainText().contains(u"not yours"_s));
    }

    void privateFolderWhenNoneIsSet()
    {
        Module1::mTempPath().clear();
        const ShowFixture s(QStringList{});
        const QString folder = Module1::mTempPath();
        QVERIFY(!folder.isEmpty());
        QVERIFY(folder.endsWith(QDir::separator()));
        QVERIFY(QDir::isAbsolutePath(folder));
#ifndef Q_OS_WIN // the user's temporary folder, private by its place in the profile
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFileDevice::Permissions());
#endif
        QCOMPARE(readAll(folder + QStringLiteral("vivrel4.htm")), AdvertPage::composedPage());
        QFile::remove(folder + QStringLiteral("vivrel4.htm"));
    }

    void onLineFetchesThreeFilesOncePerRun()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        ShowWindow s(&server);
        s.start();
        QTRY_VERIFY(!s.downloading());
        QCOMPARE(server.paths, (QList<QByteArray>{"/tremallo/advt/vivrel/vivrel4.htm",
                                                  "/tremallo/advt/vivrel/vivrel4.jpg",
                                                  "/tremallo/advt/vivrel/vivrel4.gif"}));
        QCOMPARE(readAll(page()), kServerPage);
        QCOMPARE(readAll(mTemp->filePath(QStringLiteral("vivrel4.gif"))), gif());
        // Reloaded: the fetched page, its colours and both pictures.
        QTextBrowser *panel = s.c.WebBrowser1;
        QVERIFY(panel->toPlainText().contains(QStringLiteral("From the server")));
        QCOMPARE(panel->palette().color(QPalette::Text), QColor(0, 0, 255));
        QVERIFY(hasPictureLoaded(*panel, QStringLiteral("vivrel4.jpg")));
        QVERIFY(hasPictureLoaded(*panel, QStringLiteral("vivrel4.gif")));

        // Once per run: a later Start Show neither asks the server nor reloads the panel.
        writeAll(page(), "<p>changed on disk</p>");
        s.start();
        QVERIFY(!s.downloading());
        QCoreApplication::processEvents();
        QCOMPARE(server.paths.size(), 3);
        QVERIFY(panel->toPlainText().contains(QStringLiteral("From the server")));
    }

    void selfStartedShowFetchesAfterItsFirstPicture()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        PictureElement::forgetFirstPicture(); // as in a program just started

        ShowWindow s(&server);
        s.w.openPaths({s.dir.path()});
        // The first slide is placed; nothing of the advert has started, and the caption
        // is the window's own.
        QCOMPARE(s.named(), s.path(0));
        QVERIFY(!s.downloading());
        QVERIFY(!s.w.windowTitle().contains(QStringLiteral("Initializing")));
        QCOMPARE(server.connections, 0);

        // Once the slide is on screen, the download starts, and runs to its end.
        QTRY_VERIFY(PictureElement::firstPicturePainted());
        QTRY_VERIFY(server.paths.size() == 3);
        QTRY_VERIFY(!s.downloading());
        QCOMPARE(readAll(page()), kServerPage);

        // Still once per run: the user's Start Show fetches nothing more.
        s.start();
        QVERIFY(!s.downloading());
        QCOMPARE(server.paths.size(), 3);
    }

    void selfStartedShowWithoutAPictureStillFetches()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        PictureElement::forgetFirstPicture();

        // Files named as pictures that do not decode: nothing is ever painted.
        QTemporaryDir broken;
        for (const char *name : {"/b0.jpg", "/b1.jpg"})
            writeAll(broken.path() + QLatin1String(name), "not a picture");
        ShowWindow s(&server);
        s.w.openPaths({broken.path()});
        QVERIFY(!s.downloading());
        // The download does not wait for a picture for ever.
        QTRY_VERIFY_WITH_TIMEOUT(server.paths.size() == 3, 10000);
        QVERIFY(!PictureElement::firstPicturePainted());
    }

    void showGoesOnWhileTheDownloadRuns()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        // A page that takes minutes to come, within limits that let it: the download is
        // still under way when the window goes.
        server.set("/tremallo/advt/vivrel/vivrel4.htm",
                   {Kind::Trickle, QByteArray(5000, 'x'), 200, {}});
        BoundedDownloader::setDefaultLimits({10min, 10min});
        {
            ShowWindow s(&server);
            s.c.chkRepeat->setValue(1);
            s.typeInterval(u"0.001"_s);
            // Running, and fast, before the first Start Show of the run.
            s.pauseOrResume();

            // Start Show begins at the first picture and then waits its own interval: no
            // step that fell due to the fast show comes after it.
            s.typeInterval(u"30"_s);
            s.start();
            QCOMPARE(s.named(), s.path(0));
            QCoreApplication::processEvents();
            QCOMPARE(s.named(), s.path(0));
            QVERIFY(s.downloading());

            // The show steps on while the page is still coming; starting it again meanwhile
            // starts no second download.
            s.c.chkRepeat->setValue(0);
            s.typeInterval(u"0.05"_s);
            s.start();
            QCOMPARE(s.named(), s.path(0));
            QTRY_COMPARE(s.named(), s.path(2));
            QCOMPARE(s.viewer().windowTitle(), s.path(2));
            QVERIFY(s.downloading());
            QCOMPARE(s.w.findChildren<AdvertDownload *>().size(), 1);
            QCOMPARE(server.paths, QList<QByteArray>{"/tremallo/advt/vivrel/vivrel4.htm"});
        }
        // The program ended with half a page received: the page on disk is the one from
        // before, and nothing is left beside it.
        QCOMPARE(readAll(page()), AdvertPage::composedPage());
        QCOMPARE(QDir(mTemp->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("vivrel4.htm")});
    }

    void offLineFetchesNothingAndStillReloads()
    {
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        ShowFixture s(QStringList{}); // off line
        pointStoreAt(server);
        writeAll(page(), "<p>changed on disk</p>");
        s.start();
        QVERIFY(server.paths.isEmpty());
        QCOMPARE(s.c.WebBrowser1->toPlainText(), u"changed on disk"_s);

        // Back on line later in the same run: still nothing, nor anything under way.
        s.fake.online = true;
        s.start();
        QVERIFY(server.paths.isEmpty());
        QVERIFY(!s.w.findChild<AdvertDownload *>());
    }

    void failedFetchesLeaveTheEarlierPage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("deaf");
        QTest::newRow("404") << int(Kind::Ok) << 404 << false;
        QTest::newRow("silent server") << int(Kind::Silent) << 0 << false;
        QTest::newRow("deaf server") << int(Kind::Silent) << 0 << true;
    }

    void failedFetchesLeaveTheEarlierPage()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(bool, deaf);
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.deaf = deaf;
        for (const char *name : {"htm", "jpg", "gif"})
            server.set(QByteArray("/tremallo/advt/vivrel/vivrel4.") + name,
                       {Kind(kind), "<p>error page</p>", status, {}});
        ShowWindow s(&server);
        startShowWithoutWaiting(s);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(server.connections > 0);
        QVERIFY(!QFile::exists(mTemp->filePath(QStringLiteral("vivrel4.jpg"))));
        QVERIFY(s.c.WebBrowser1->toPlainText().contains(u"Thank You For Using:"_s));

        // Tried once in the run, though nothing came of it.
        const int connections = server.connections;
        s.start();
        QVERIFY(!s.downloading());
        QCoreApplication::processEvents();
        QCOMPARE(server.connections, connections);
    }

    void resolverNeverAnswers()
    {
        if (qEnvironmentVariableIsSet(kSilentResolverVariable)) {
            startShowWithASilentResolver();
            return;
        }
#ifndef Q_OS_LINUX
        QSKIP("a name server of the test's own needs Linux namespaces");
#else
        // The name lookup must hang for this test alone: the test runs again in a child
        // with a mount and a network namespace of its own, where the only name server is
        // a loopback port that the child itself holds and never answers on.
        const bool root = ::geteuid() == 0;
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty()) {
            if (root)
                QFAIL("unshare (util-linux) is needed for a name server of the test's own");
            QSKIP("unshare (util-linux) is not installed");
        }
        QTemporaryDir dir;
        const QString resolvConf = dir.filePath(QStringLiteral("resolv.conf"));
        writeAll(resolvConf, "nameserver 127.0.0.2\n");
        QStringList arguments;
        if (!root)
            arguments << QStringLiteral("--user") << QStringLiteral("--map-root-user");
        arguments << QStringLiteral("--mount") << QStringLiteral("--net") << QStringLiteral("--")
                  << QStringLiteral("sh") << QStringLiteral("-c")
                  << QStringLiteral("PATH=$PATH:/usr/sbin:/sbin; "
                                    "mount --bind \"$1\" /etc/resolv.conf && ip link set lo up && "
                                    "exec \"$2\" resolverNeverAnswers")
                  << QStringLiteral("sh") << resolvConf << QCoreApplication::applicationFilePath();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kSilentResolverVariable), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(unshare, arguments);
        // The child outlives its test by as long as the system's resolver keeps asking.
        QVERIFY(child.waitForFinished(240000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        // A container may refuse namespaces even to root: nothing to learn here then.
        if (!output.contains(QLatin1String("Start testing of")))
            QSKIP(qPrintable(QStringLiteral("no namespaces for a name server of its own: ") +
                             output.left(300)));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
#endif
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
        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        s.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.w));
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
        ShowFixture s(QStringList{});
        for (const char *link :
             {"http://www.tremallo.example/offer", "https://a.example/x?y=1", "file:///etc/passwd",
              "javascript:alert(1)", "mailto:a@b.example", "vivrel4.htm"})
            emit s.c.WebBrowser1->anchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(s.fake.shellTargets, (QStringList{u"http://www.tremallo.example/offer"_s,
                                                   u"https://a.example/x?y=1"_s}));
    }
};

VIVREL_TEST_MAIN(TestAdvertPanel)
#include "tst_advertpanel.moc"
