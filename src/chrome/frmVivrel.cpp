#include "chrome/frmVivrel.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/Artwork.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "common/PictureElement.h"
#include "common/TriCheckBox.h"
#include "viewer/frmPreview.h"

#include <QComboBox>
#include <QFontInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextBrowser>
#include <QToolButton>

namespace {

/** Place and size given in twips, 15 to a pixel. */
QRect twips(int left, int top, int width, int height)
{
    const auto px = [](int t) { return (t + 7) / 15; };
    return QRect(px(left), px(top), px(width), px(height));
}

QString colour(int r, int g, int b)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(r).arg(g).arg(b);
}

QFont tahoma(qreal points)
{
    // Tahoma where the system has it; elsewhere the common sans face, condensed to
    // about Tahoma's width so that the captions fit their controls.
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    if (QFontInfo(font).family() != QLatin1String("Tahoma")) {
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Arial")});
        font.setStretch(QFont::Condensed);
    }
    return font;
}

const QString kOptionColours = QStringLiteral("background:rgb(224,236,254);color:rgb(0,0,64);");

/** Enter presses the focused picture button, as Space does (a tool button only knows Space). */
class EnterPressesButton : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat())
            return false;
        static_cast<QToolButton *>(watched)->click();
        return true;
    }
};

/** A label for text the program did not write itself (a file name may look like markup). */
QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

frmVivrel::frmVivrel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmVivrel"));
    setWindowTitle(Module1::mainCaption());
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(368, 293);
    setWindowIcon(QIcon(Artwork::icon(64)));
    setFont(tahoma(8.25));

    mFileList = new FileList(this);
    buildControls();
    connectCatalogue();
    connectShow();
    connectConfig();
    connectChrome();
}

frmVivrel::~frmVivrel()
{
    // The viewer is a top-level window of its own; it goes with the main window.
    delete mViewer;
}

frmPreview &frmVivrel::viewer()
{
    if (!mViewer) {
        mViewer = new frmPreview(this);
        mViewer->Form_Load();
        connectViewer();
    }
    return *mViewer;
}

void frmVivrel::connectViewer()
{
    // The viewer asks; the show here decides, and tells it whether the show runs.
    connect(mViewer, &frmPreview::helpRequested, this, &frmVivrel::cmdHelp_Click);
    connect(mViewer, &frmPreview::nextRequested, this, &frmVivrel::Timer1_Timer);
    connect(mViewer, &frmPreview::previousRequested, this, &frmVivrel::DoPrevious);
    connect(mViewer, &frmPreview::fitChanged, this, &frmVivrel::DoLoadFullScreen);
    connect(mViewer, &frmPreview::backgroundChosen, this, &frmVivrel::LoadViewerBackground);
    connect(mViewer, &frmPreview::showRunRequested, Timer1, &IntervalTimer::setEnabled);
    mViewer->setShowRunning(Timer1->isEnabled());
    connect(Timer1, &IntervalTimer::enabledChanged, mViewer, &frmPreview::setShowRunning);
    connect(mViewer, &frmPreview::closed, this, [this] {
        // The keyboard comes back here, also where no window manager hands it over.
        if (isVisible())
            activateWindow();
    });
}

QString frmVivrel::cmdResumeCaption() const
{
    return cmdResume->text();
}

void frmVivrel::setCmdResumeCaption(const QString &caption)
{
    // A picture button: the text is not drawn, but it is what the button says it is to
    // anything that reads it, and the face drawn follows it.
    cmdResume->setText(caption);
    const Artwork::Face face =
        caption == QLatin1String("Pause") ? Artwork::Face::Pause : Artwork::Face::Resume;
    cmdResume->setIcon(QIcon(Artwork::buttonFace(face, cmdResume->size(), Qt::white)));
}

void frmVivrel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Artwork::skin(size()));
}

void frmVivrel::buildControls()
{
    auto *enterPresses = new EnterPressesButton(this);
    const auto pictureButton = [this, enterPresses](const char *name, QRect place,
                                                    Artwork::Face face, QColor background,
                                                    const QString &tip) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        // A click takes the focus, as Tab does, so leaving the interval box by clicking
        // a button checks the box first.
        button->setFocusPolicy(Qt::StrongFocus);
        button->installEventFilter(enterPresses);
        button->setGeometry(place);
        button->setAutoRaise(false);
        button->setIconSize(place.size());
        button->setIcon(QIcon(Artwork::buttonFace(face, place.size(), background)));
        button->setStyleSheet(QStringLiteral("QToolButton{border:none;padding:0;background:%1;}")
                                  .arg(background.name()));
        if (!tip.isEmpty())
            button->setToolTip(tip);
        return button;
    };
    const auto checkBox = [this](const char *name, const QString &caption, QRect place,
                                 const QString &tip) {
        auto *box = new TriCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(place);
        box->setToolTip(tip);
        box->setStyleSheet(QStringLiteral("TriCheckBox{%1}").arg(kOptionColours));
        return box;
    };
    const auto shape = [this](const char *name, QRect place) {
        auto *frame = new QFrame(this);
        frame->setObjectName(QLatin1String(name));
        frame->setGeometry(place);
        frame->setStyleSheet(QStringLiteral("QFrame{border:1px solid %1;background:transparent;}")
                                 .arg(palette().color(QPalette::Dark).name()));
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        return frame;
    };

    // Decoration first, so that everything else is drawn over it.
    Shape1 = shape("Shape1", twips(240, 680, 5055, 3015));
    Shape3 = shape("Shape3", twips(240, 3720, 1935, 495));
    Shape4 = shape("Shape4", twips(2280, 3720, 3015, 495));

    Image1 = plainLabel(QString(), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips(150, 120, 5235, 375));
    Image1->setScaledContents(true);
    Image1->setPixmap(Artwork::banner(Image1->size()));

    cmdTools = pictureButton("cmdTools", twips(4320, 3780, 900, 375), Artwork::Face::Tools,
                             QColor(255, 224, 192),
                             QStringLiteral(" Create Configuration Settings File (.INI), and "
                                            "Autrun file (Ref. Help for more information) "));
    cmdMinimise = pictureButton("cmdMinimise", twips(4800, 170, 230, 230), Artwork::Face::Minimise,
                                QColor(224, 236, 254), QString());
    cmdClose = pictureButton("cmdClose", twips(5040, 170, 230, 230), Artwork::Face::Close,
                             QColor(224, 236, 254), QString());
    cmdHelp = pictureButton("cmdHelp", twips(4560, 170, 230, 230), Artwork::Face::Help,
                            QColor(224, 236, 254), QString());
    for (QToolButton *notTabStop : {cmdMinimise, cmdClose, cmdHelp})
        notTabStop->setFocusPolicy(Qt::ClickFocus);

    chkRandom = checkBox("chkRandom", QStringLiteral("&Random"), twips(360, 3300, 1215, 255),
                         QStringLiteral(" Random Order "));
    chkAdditive = checkBox("chkAdditive", QStringLiteral("A&dditive"), twips(3720, 705, 975, 255),
                           QStringLiteral(" Check this option if you want to add additional "
                                          "folders to the list without clearing it "));

    // The preview pane and the web panel share one rectangle; the panel covers the pane
    // while it is visible, and the file name label is drawn over the pane.
    imgPreview = new PictureElement(this);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setStretch(true);
    const QRect pane = twips(360, 960, 2415, 1815);
    imgPreview->setLeft(float(pane.left()));
    imgPreview->setTop(float(pane.top()));
    imgPreview->setWidth(float(pane.width()));
    imgPreview->setHeight(float(pane.height()));

    lblFileName = plainLabel(QString(), this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setGeometry(twips(480, 960, 2175, 255));
    lblFileName->setStyleSheet(
        QStringLiteral("QLabel{color:%1;background:transparent;}").arg(colour(255, 224, 192)));
    lblFileName->setAttribute(Qt::WA_TranslucentBackground);

    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(pane);
    WebBrowser1->setOpenLinks(false);

    File1 = new FileListView(mFileList, this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twips(2880, 960, 2295, 1815));
    File1->setStyleSheet(QStringLiteral("QListView{%1}").arg(kOptionColours));

    chkSaveSettings = checkBox("chkSaveSettings", QStringLiteral("S&ave on Exit"),
                               twips(1560, 3045, 1215, 255),
                               QStringLiteral(" Saves your settings for later use "));
    chkSaveSettings->setValue(1);
    chkRepeat = checkBox("chkRepeat", QStringLiteral("R&epeat"), twips(360, 3045, 1215, 255),
                         QStringLiteral(" Continuous Play "));

    cmdDirList = pictureButton("cmdDirList", twips(4710, 720, 450, 255), Artwork::Face::Folder,
                               QColor(224, 236, 254), QStringLiteral(" Browse for Folder "));

    cmbFileType = new QComboBox(this);
    cmbFileType->setObjectName(QStringLiteral("cmbFileType"));
    cmbFileType->setGeometry(twips(3840, 2880, 1335, 315));
    cmbFileType->setToolTip(QStringLiteral("Specify File Types "));
    cmbFileType->setStyleSheet(QStringLiteral("QComboBox{background:rgb(224,236,254);color:black;padding-left:1px;}"));

    Timer1 = new IntervalTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    chkPreview = checkBox("chkPreview", QStringLiteral("&Preview"), twips(360, 2790, 1215, 255),
                          QStringLiteral(" Toggle Previw "));

    Text1 = new QLineEdit(QStringLiteral("3"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips(960, 3810, 375, 285));
    Text1->setToolTip(QStringLiteral(" Interval Seconds "));

    cmdStart = pictureButton("cmdStart", twips(2400, 3780, 900, 375), Artwork::Face::Start,
                             QColor(255, 224, 192), QStringLiteral(" Start Show "));
    cmdResume = pictureButton("cmdResume", twips(3360, 3780, 900, 375), Artwork::Face::Resume,
                              Qt::white, QStringLiteral(" Resume Show "));
    cmdSelectAll = pictureButton("cmdSelectAll", twips(2880, 2880, 855, 315),
                                 Artwork::Face::SelectAll, QColor(224, 236, 254),
                                 QStringLiteral(" Select All Listed Files "));
    chkFullScreen = checkBox("chkFullScreen", QStringLiteral("F&ull Screen"),
                             twips(1560, 2790, 1215, 255), QStringLiteral(" Show in Full Screen "));

    Label3 = plainLabel(QStringLiteral("Tremallo"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(twips(200, 220, 1335, 255));
    Label3->setToolTip(QStringLiteral(" Click here to go to Tremallo Website "));
    QFont linkFont = tahoma(9.75);
    linkFont.setBold(true);
    linkFont.setItalic(true);
    linkFont.setUnderline(true);
    Label3->setFont(linkFont);
    // A palette rather than a style sheet, so the hover look can change the colour.
    QPalette linkColours = Label3->palette();
    linkColours.setColor(QPalette::WindowText, QColor(253, 198, 157));
    Label3->setPalette(linkColours);
    Label3->setCursor(Qt::PointingHandCursor);

    Label1 = plainLabel(QStringLiteral("&Interval"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(360, 3840, 615, 255));
    Label1->setStyleSheet(QStringLiteral("QLabel{%1}").arg(kOptionColours));
    Label1->setBuddy(Text1);
    Label2 = plainLabel(QStringLiteral("Seconds"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(1350, 3840, 735, 255));
    Label2->setStyleSheet(QStringLiteral("QLabel{%1}").arg(kOptionColours));

    // Tab order as the window was designed; labels take no focus and are passed over.
    const QList<QWidget *> tabOrder = {cmdStart,    chkFullScreen, cmdSelectAll,    cmdHelp,
                                       cmdResume,   Text1,         chkPreview,      cmbFileType,
                                       cmdDirList,  WebBrowser1,   chkRepeat,       chkSaveSettings,
                                       File1,       chkAdditive,   chkRandom,       cmdClose,
                                       cmdMinimise, cmdTools};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The window opens on the first control of that order; left to itself Qt would pick
    // the first control created that takes Tab. Start-up may move it on (Select All does).
    tabOrder.first()->setFocus(Qt::OtherFocusReason);
}
