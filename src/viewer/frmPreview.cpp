#include "viewer/frmPreview.h"

#include "common/PictureElement.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>

frmPreview::frmPreview(QWidget *mainWindow) : QWidget(nullptr), mMainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    imgPreview = new PictureElement(this);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));

    mnuOptions = new QMenu(QStringLiteral("Options"), this);
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    const auto entry = [this](const char *name, const QString &caption) {
        QAction *action = caption == QLatin1String("-") ? mnuOptions->addSeparator()
                                                         : mnuOptions->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    // The separators and "Cancel" only close the menu.
    mnuOpen = entry("mnuOpen", QStringLiteral("Open"));
    mnuDelete = entry("mnuDelete", QStringLiteral("Delete"));
    entry("mnu01", QStringLiteral("-"));
    mnuPause = entry("mnuPause", QStringLiteral("Pause Show"));
    entry("mnu02", QStringLiteral("-"));
    mnuPrev = entry("mnuPrev", QStringLiteral("Previous"));
    mnuNext = entry("mnuNext", QStringLiteral("Next"));
    entry("mnu03", QStringLiteral("-"));
    mnuStretch = entry("mnuStretch", QStringLiteral("Stretch"));
    mnuRetainShape = entry("mnuRetainShape", QStringLiteral("Retain Shape"));
    entry("mnu04", QStringLiteral("-"));
    mnuBackground = entry("mnuBackground", QStringLiteral("Change Background"));
    entry("MNU05", QStringLiteral("-"));
    entry("mnuCancel", QStringLiteral("Cancel"));
    for (QAction *checkable : {mnuPause, mnuStretch, mnuRetainShape})
        checkable->setCheckable(true);
    connectShowEntries();
    connectFileCommands();
}

frmPreview::~frmPreview() = default;

void frmPreview::Form_Load()
{
    QScreen *screen = mMainWindow ? mMainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->geometry());
    // The picture element starts over the whole window, where DoStretch would put it:
    // a show stretched before anything has sized the element (a configuration file can
    // turn Stretch on without DoStretch) then fills the screen instead of an empty spot.
    imgPreview->setLeft(0);
    imgPreview->setTop(0);
    imgPreview->setWidth(windowWidth());
    imgPreview->setHeight(windowHeight());
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
    // Closing never destroys the viewer: the show's position, the caption, the
    // background and the check marks are all still there when it is shown again.
    event->ignore();
    emit showRunRequested(false);
    hide();
    emit closed();
}
