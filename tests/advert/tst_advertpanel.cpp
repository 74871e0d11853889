// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Controls.h"
#include "FakeSeams.h"
#include "ScriptedHttpServer.h"
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

/**
 * A main window as a user has it before Start Show: started up on a stored folder of
 * three pictures, its panel up, all selected, the full-screen show at 30 seconds.
 */
struct ShowWindow
{
    ShowWindow()
    {
        for (const char *name : {"p0.jpg", "p1.jpg", "p2.jpg"})
            TestTrees::writePicture(pictures.filePath(QLatin1String(name)), 8, 8, "jpg");
        QVERIFY(SettingsStore::SaveSetting(QStringLiteral("mPath"), pictures.path()));
        w.Form_Load();
        w.show();
        QTest::mouseClick(control<QToolButton>("cmdSelectAll"), Qt::LeftButton);
        control<QLineEdit>("Text1")->setText(QStringLiteral("30"));
        control<TriCheckBox>("chkFullScreen")->setValue(1);
    }

    template <typename T> T *control(const char *name) const
    {
        return w.findChild<T *>(QLatin1String(name));
    }
    QTextBrowser *panel() const { return control<QTextBrowser>("WebBrowser1"); }
    /** Spelt as the program shows it: with "\\" on Windows. */
    QString picture(int i) const
    {
        return QDir::toNativeSeparators(pictures.filePath(QStringLiteral("p%1.jpg").arg(i)));
    }
    /** The path under the list, where the slide on show is named. */
    QString named() const { return control<QLabel>("lblFileName")->text(); }
    /** The viewer: a window of its own, one at a time, since it goes with its main window. */
    static frmPreview *viewer()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("frmPreview"))
                return qobject_cast<frmPreview *>(window);
        }
        return nullptr;
    }
    void clickStart() { QTest::mouseClick(control<QToolButton>("cmdStart"), Qt::LeftButton); }
    bool downloading() const { return w.findChild<AdvertDownload *>() != nullptr; }

    QTemporaryDir pictures;
    frmVivrel w;
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

    void pointStoreAt(const ScriptedHttpServer &server)
    {
        SettingsStore::open()->setValue(QStringLiteral("Advert/BaseUrl"), server.url("/tremallo"));
    }

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
        QSignalSpy reloads(s.panel(), &QTextEdit::textChanged);
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
            QObject::connect(s.control<QToolButton>("cmdStart"), &QToolButton::clicked, &s.w, [&] {
                frmPreview *viewer = s.viewer();
                const auto *element =
                    viewer ? viewer->findChild<PictureElement *>(QStringLiteral("imgPreview"))
                           : nullptr;
                seen = Seen{
                    .named = s.named(),
                    .viewerCaption =
                        viewer && viewer->isVisible() ? viewer->windowTitle() : QString(),
                    .caption = s.w.windowTitle(),
                    .cursor = s.w.cursor().shape(),
                    .picture = element && element->hasPicture(),
                    .downloading = s.downloading(),
                    .reloads = reloads.size(),
                };
            });
        s.clickStart();
        QObject::disconnect(look);
        QVERIFY(seen);
        QCOMPARE(seen->named, s.picture(0));
        QCOMPARE(seen->viewerCaption, s.picture(0));
        QCOMPARE(seen->caption, caption);
        QCOMPARE(seen->cursor, cursor);
        QVERIFY(seen->downloading);
        QCOMPARE(seen->reloads, 0);
        // The slide is decoded off the window thread: it comes while the download is
        // still held up, not after it.
        if (!seen->picture) {
            QVERIFY(slideSettled(s.w));
            const auto *element =
                s.viewer()->findChild<PictureElement *>(QStringLiteral("imgPreview"));
            QVERIFY(element->hasPicture());
            QVERIFY(s.downloading());
            QCOMPARE(reloads.size(), 0);
        }

        QTRY_VERIFY_WITH_TIMEOUT(!s.downloading(), 10000);
        QVERIFY(!reloads.isEmpty());
        QCOMPARE(readAll(page()), pageBefore);
        QCOMPARE(s.named(), s.picture(0));
    }

    /** resolverNeverAnswers, in the child that has a name server of its own. */
    void startShowWithASilentResolver()
    {
        QUdpSocket nameServer;
        QVERIFY2(nameServer.bind(QHostAddress(QStringLiteral("127.0.0.2")), 53),
                 qPrintable(nameServer.errorString()));
        FakeSeams fake;
        fake.online = true;
        QCOMPARE(AdvertPage::baseUrl(StartUp::storedAdvertBaseUrl()),
                 QStringLiteral("http://ads.tremallo.example/tremallo"));

        ShowWindow s;
        startShowWithoutWaiting(s);
        if (QTest::currentTestFailed())
            return;
        // What held the download up was the name: the question reached the name server,
        // and no answer ever came.
        QVERIFY(nameServer.hasPendingDatagrams());
        QVERIFY(s.panel()->toPlainText().contains(QStringLiteral("Thank You For Using:")));
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
#ifdef Q_OS_WIN
        QSKIP("QFile::link makes a shell shortcut there, an ordinary file to the program");
#endif
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
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        pointStoreAt(server);

        ShowWindow s;
        s.clickStart();
        QTRY_VERIFY(!s.downloading());
        QCOMPARE(server.paths, (QList<QByteArray>{"/tremallo/advt/vivrel/vivrel4.htm",
                                                  "/tremallo/advt/vivrel/vivrel4.jpg",
                                                  "/tremallo/advt/vivrel/vivrel4.gif"}));
        QCOMPARE(readAll(page()), kServerPage);
        QCOMPARE(readAll(mTemp->filePath(QStringLiteral("vivrel4.gif"))), gif());
        // Reloaded: the fetched page, its colours and both pictures.
        QTextBrowser *panel = s.panel();
        QVERIFY(panel->toPlainText().contains(QStringLiteral("From the server")));
        QCOMPARE(panel->palette().color(QPalette::Text), QColor(0, 0, 255));
        QVERIFY(hasPictureLoaded(*panel, QStringLiteral("vivrel4.jpg")));
        QVERIFY(hasPictureLoaded(*panel, QStringLiteral("vivrel4.gif")));

        // Once per run: a later Start Show neither asks the server nor reloads the panel.
        writeAll(page(), "<p>changed on disk</p>");
        s.clickStart();
        QVERIFY(!s.downloading());
        QCoreApplication::processEvents();
        QCOMPARE(server.paths.size(), 3);
        QVERIFY(panel->toPlainText().contains(QStringLiteral("From the server")));
    }

    void selfStartedShowFetchesAfterItsFirstPicture()
    {
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        pointStoreAt(server);
        PictureElement::forgetFirstPicture(); // as in a program just started

        ShowWindow s;
        s.w.openPaths({s.pictures.path()});
        // The first slide is placed; nothing of the advert has started, and the caption
        // is the window's own.
        QCOMPARE(s.named(), s.picture(0));
        QVERIFY(!s.downloading());
        QVERIFY(!s.w.windowTitle().contains(QStringLiteral("Initializing")));
        QCOMPARE(server.connections, 0);

        // Once the slide is on screen, the download starts, and runs to its end.
        QTRY_VERIFY(PictureElement::firstPicturePainted());
        QTRY_VERIFY(server.paths.size() == 3);
        QTRY_VERIFY(!s.downloading());
        QCOMPARE(readAll(page()), kServerPage);

        // Still once per run: the user's Start Show fetches nothing more.
        s.clickStart();
        QVERIFY(!s.downloading());
        QCOMPARE(server.paths.size(), 3);
    }

    void selfStartedShowWithoutAPictureStillFetches()
    {
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        pointStoreAt(server);
        PictureElement::forgetFirstPicture();

        // Files named as pictures that do not decode: nothing is ever painted.
        QTemporaryDir broken;
        for (const char *name : {"/b0.jpg", "/b1.jpg"})
            writeAll(broken.path() + QLatin1String(name), "not a picture");
        ShowWindow s;
        s.w.openPaths({broken.path()});
        QVERIFY(!s.downloading());
        // The download does not wait for a picture for ever.
        QTRY_VERIFY_WITH_TIMEOUT(server.paths.size() == 3, 10000);
        QVERIFY(!PictureElement::firstPicturePainted());
    }

    void showGoesOnWhileTheDownloadRuns()
    {
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        serveAdvert(server);
        // A page that takes minutes to come, within limits that let it: the download is
        // still under way when the window goes.
        server.set("/tremallo/advt/vivrel/vivrel4.htm",
                   {Kind::Trickle, QByteArray(5000, 'x'), 200, {}});
        pointStoreAt(server);
        BoundedDownloader::setDefaultLimits({10min, 10min});
        {
            ShowWindow s;
            s.control<TriCheckBox>("chkRepeat")->setValue(1);
            s.control<QLineEdit>("Text1")->setText(QStringLiteral("0.001"));
            // Running, and fast, before the first Start Show of the run.
            QTest::mouseClick(s.control<QToolButton>("cmdResume"), Qt::LeftButton);

            // Start Show begins at the first picture and then waits its own interval: no
            // step that fell due to the fast show comes after it.
            s.control<QLineEdit>("Text1")->setText(QStringLiteral("30"));
            s.clickStart();
            QCOMPARE(s.named(), s.picture(0));
            QCoreApplication::processEvents();
            QCOMPARE(s.named(), s.picture(0));
            QVERIFY(s.downloading());

            // The show steps on while the page is still coming; starting it again meanwhile
            // starts no second download.
            s.control<TriCheckBox>("chkRepeat")->setValue(0);
            s.control<QLineEdit>("Text1")->setText(QStringLiteral("0.05"));
            s.clickStart();
            QCOMPARE(s.named(), s.picture(0));
            QTRY_COMPARE(s.named(), s.picture(2));
            QCOMPARE(s.viewer()->windowTitle(), s.picture(2));
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
        FakeSeams fake;
        fake.online = true;
        ScriptedHttpServer server;
        QVERIFY(server.start());
        server.deaf = deaf;
        for (const char *name : {"htm", "jpg", "gif"})
            server.set(QByteArray("/tremallo/advt/vivrel/vivrel4.") + name,
                       {Kind(kind), "<p>error page</p>", status, {}});
        pointStoreAt(server);

        ShowWindow s;
        startShowWithoutWaiting(s);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(server.connections > 0);
        QVERIFY(!QFile::exists(mTemp->filePath(QStringLiteral("vivrel4.jpg"))));
        QVERIFY(s.panel()->toPlainText().contains(QStringLiteral("Thank You For Using:")));

        // Tried once in the run, though nothing came of it.
        const int connections = server.connections;
        s.clickStart();
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
