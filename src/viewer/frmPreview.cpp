// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "viewer/frmPreview.h"

#include "viewer/ViewerScreen.h"
#include "widgets/Accessibility.h"
#include "widgets/PictureElement.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

frmPreview::frmPreview(QWidget *mainWindow) : QWidget(nullptr), mMainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    Accessibility::install();
    imgPreview = new PictureElement(this);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));

    mnuOptions = new QMenu(tr("Options"), this);
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    const auto entry = [this](const char *name, const QString &caption) {
        QAction *action = caption == QLatin1String("-") ? mnuOptions->addSeparator()
                                                        : mnuOptions->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    // The separators and "Cancel" only close the menu.
    mnuOpen = entry("mnuOpen", tr("Open"));
    mnuDelete = entry("mnuDelete", tr("Delete"));
    entry("mnu01", QStringLiteral("-"));
    mnuPause = entry("mnuPause", tr("Pause Show"));
    entry("mnu02", QStringLiteral("-"));
    mnuPrev = entry("mnuPrev", tr("Previous"));
    mnuNext = entry("mnuNext", tr("Next"));
    entry("mnu03", QStringLiteral("-"));
    mnuStretch = entry("mnuStretch", tr("Stretch"));
    mnuRetainShape = entry("mnuRetainShape", tr("Retain Shape"));
    entry("mnu04", QStringLiteral("-"));
    mnuBackground = entry("mnuBackground", tr("Change Background"));
    entry("MNU05", QStringLiteral("-"));
    entry("mnuCancel", tr("Cancel"));
    for (QAction *checkable : {mnuPause, mnuStretch, mnuRetainShape})
        checkable->setCheckable(true);
    connectShowEntries();
    connectFileCommands();
}

frmPreview::~frmPreview() = default;

void frmPreview::Form_Load()
{
    coverScreen(chosenScreen());
    // The picture element starts over the whole window, where DoStretch would put it:
    // a show stretched before anything has sized the element (a configuration file can
    // turn Stretch on without DoStretch) then fills the screen instead of an empty spot.
    imgPreview->setLeft(0);
    imgPreview->setTop(0);
    imgPreview->setWidth(windowWidth());
    imgPreview->setHeight(windowHeight());
}

QScreen *frmPreview::chosenScreen() const
{
    // A Wayland client never learns where its windows are; the compositor says which
    // output holds the main window's surface, and Qt makes that the window's screen.
    if (mMainWindow && isWayland()) {
        if (QScreen *own = mMainWindow->screen())
            return own;
    } else if (mMainWindow) {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QList<QRect> areas;
        for (const QScreen *screen : screens)
            areas << screen->geometry();
        const qsizetype most = ViewerScreen::holdingMost(mMainWindow->frameGeometry(), areas);
        if (most >= 0)
            return screens[most];
        if (QScreen *own = mMainWindow->screen())
            return own;
    }
    return QGuiApplication::primaryScreen();
}

bool frmPreview::isWayland()
{
    return QGuiApplication::platformName() == u"wayland";
}

bool frmPreview::mainWindowPlaced()
{
    if (!isWayland() || !mMainWindow)
        return true;
    QWindow *main = mMainWindow->windowHandle();
    if (!main || !main->isExposed())
        return false;
    if (!mWatchingMainScreen) {
        mWatchingMainScreen = true;
        connect(main, &QWindow::screenChanged, this, [this] { mMainScreenKnown = true; });
    }
    if (!mMainExposed.isValid())
        mMainExposed.start();
    // The output that holds the surface is told just after it is first shown; when it is
    // the first output, nothing changes, so a moment's wait stands for that answer.
    return mMainScreenKnown || QGuiApplication::screens().size() <= 1 ||
           mMainExposed.hasExpired(kOutputAnswerMs);
}

void frmPreview::waitForMainWindow()
{
    if (mWaitForMain.isActive())
        return;
    mWaitStarted.start();
    mWaitForMain.start(kWaitPollMs, this);
}

void frmPreview::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != mWaitForMain.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    // Never more than a moment: then the output Qt has for the main window (the primary
    // one when the compositor has said nothing yet).
    if (!mainWindowPlaced() && !mWaitStarted.hasExpired(kWaitAtMostMs))
        return;
    mWaitForMain.stop();
    if (mViewerWanted)
        showViewer();
}

void frmPreview::coverScreen(QScreen *screen)
{
    if (!screen)
        return;
    const float oldWidth = windowWidth();
    const float oldHeight = windowHeight();
    const bool covered = imgPreview->left() == 0 && imgPreview->top() == 0 &&
                         imgPreview->width() == oldWidth && imgPreview->height() == oldHeight;
    if (screen != QWidget::screen()) {
        // Leave full screen first, and name the monitor before the geometry: a platform
        // may otherwise apply full screen against the monitor the window was on.
        if (isFullScreen())
            setWindowState(windowState() & ~Qt::WindowFullScreen);
        setScreen(screen);
    }
    setGeometry(screen->geometry());
    if (windowWidth() == oldWidth && windowHeight() == oldHeight)
        return;

    // Stretched over the whole window (DoStretch, or as it starts), it stays so; any other
    // element keeps its size, which the fit below cuts to the new window and centres.
    if (covered) {
        imgPreview->setWidth(windowWidth());
        imgPreview->setHeight(windowHeight());
    }
    if (imgPreview->hasPicture())
        applyPlacement(Fitting::place(Fitting::inputFor(view(), imgPreview->picture().natural)));
}

void frmPreview::applyPlacement(const Fitting::Placement &placed)
{
    imgPreview->setStretch(placed.stretch);
    imgPreview->setWidth(placed.width);
    imgPreview->setHeight(placed.height);
    imgPreview->setLeft(placed.left);
    imgPreview->setTop(placed.top);
    imgPreview->setVisible(true);
}

float frmPreview::windowWidth() const
{
    return float(QWidget::width());
}

float frmPreview::windowHeight() const
{
    return float(QWidget::height());
}

void frmPreview::DoStretch()
{
    imgPreview->setStretch(true);
    imgPreview->setHeight(windowHeight());
    imgPreview->setWidth(windowWidth());
    imgPreview->setTop(0);
    imgPreview->setLeft(0);
}

void frmPreview::setBackground(const QImage &picture)
{
    mBackground = picture;
    update();
}

bool frmPreview::stretchChecked() const
{
    return mnuStretch->isChecked();
}

void frmPreview::setStretchChecked(bool checked)
{
    mnuStretch->setChecked(checked);
}

bool frmPreview::retainShapeChecked() const
{
    return mnuRetainShape->isChecked();
}

void frmPreview::setRetainShapeChecked(bool checked)
{
    mnuRetainShape->setChecked(checked);
}

void frmPreview::setRetainShapeEnabled(bool enabled)
{
    mnuRetainShape->setEnabled(enabled);
}

void frmPreview::setPauseChecked(bool checked)
{
    mnuPause->setChecked(checked);
}

void frmPreview::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (mBackground.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), mBackground);
}

void frmPreview::closeEvent(QCloseEvent *event)
{
    // A viewer still waiting to be shown is not shown after all.
    mViewerWanted = false;
    mWaitForMain.stop();
    // Closing never destroys the viewer: the show's position, the caption, the
    // background and the check marks are all still there when it is shown again.
    event->ignore();
    emit showRunRequested(false);
    hide();
    emit closed();
}
