// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chrome/frmVivrel.h"

#include "catalogue/Catalogue.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/Artwork.h"
#include "chrome/Colours.h"
#include "chrome/PictureButton.h"
#include "common/Module1.h"
#include "config/StartUp.h"
#include "engine/SlideShow.h"
#include "viewer/frmPreview.h"
#include "widgets/Accessibility.h"
#include "widgets/LinkLabel.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTextBrowser>
#include <QToolButton>
#include <QWindow>

#include <type_traits>
#include <variant>

namespace {

using Artwork::Face;

/** Place and size given in twips, 15 to a pixel. */
QRect pixels(QRect twips)
{
    const auto px = [](int t) { return (t + 7) / 15; };
    return QRect(px(twips.left()), px(twips.top()), px(twips.width()), px(twips.height()));
}

/**
 * The outlines that group the controls, in twips: Shape1, Shape3 and Shape4. They are
 * drawn on the window itself rather than made controls, so that nothing a screen reader
 * walks through or a click can land on is mere decoration.
 */
constexpr QRect kOutlineTwips[] = {
    {240, 680, 5055, 3015}, {240, 3720, 1935, 495}, {2280, 3720, 3015, 495}};

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

/** A label for text the program did not write itself (a file name may look like markup). */
QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

enum class Kind {
    Banner,        ///< the picture across the top, stretched to its place
    PictureButton, ///< a button that shows only its face
    CheckBox,      ///< a check box with the values 0, 1 and 2
    Picture,       ///< a picture element, stretched to its place
    Label,         ///< plain text; without a ground the window shows through
    Link,          ///< the label that opens the maker's web site
    Browser,       ///< the web panel
    List,          ///< the picture list
    Selector,      ///< a combo box
    TextBox,       ///< a one-line text box
};

/** Where the window keeps a control: its member of the control's type. */
using Holder =
    std::variant<QLabel **, LinkLabel **, QToolButton **, TriCheckBox **, PictureElement **,
                 QTextBrowser **, FileListView **, QComboBox **, QLineEdit **>;

/** A control's ground (none: the window shows through) and text (none: the style's own). */
struct Look
{
    QColor ground = {};
    QColor text = {};
};

/** The options, their labels and the list. */
constexpr Look kOptionLook{Colours::kOptionGround, Colours::kOptionText};

/** One control as the window was designed. */
struct Control
{
    Holder holder;
    const char *name;
    Kind kind;
    /** Left, top, width and height in twips. */
    QRect twips = {};
    const char *caption = "";
    const char *toolTip = "";
    Look look = {};
    /** The picture of a picture button. */
    Face face = {};
    /** A picture button that Tab passes over still takes the focus when clicked. */
    bool tabStop = true;
    /**
     * What assistive technology calls the control where neither its caption nor its
     * tool tip can: a picture button or the selector with a tool tip is called by that.
     */
    const char *accessibleName = "";
};

/** The style rules for a look's colours. */
QString colourRules(const Look &look)
{
    QString rules = QStringLiteral("background:%1;")
                        .arg(look.ground.isValid() ? Colours::styleColour(look.ground)
                                                   : QStringLiteral("transparent"));
    if (look.text.isValid())
        rules += QStringLiteral("color:%1;").arg(Colours::styleColour(look.text));
    return rules;
}

/** Makes the control of one row on `window`, named and placed. */
QObject *makeControl(const Control &row, QWidget &window, FileList *list)
{
    const QRect place = pixels(row.twips);
    const QString caption = QCoreApplication::translate("frmVivrel", row.caption);
    const auto placed = [&](auto *control) {
        control->setObjectName(QLatin1String(row.name));
        control->setGeometry(place);
        if (*row.toolTip)
            control->setToolTip(QCoreApplication::translate("frmVivrel", row.toolTip));
        if (*row.accessibleName)
            control->setAccessibleName(
                QCoreApplication::translate("frmVivrel", row.accessibleName));
        return control;
    };
    switch (row.kind) {
    case Kind::Banner: {
        // Its picture is drawn with the rest of the artwork, at the window's pixel ratio.
        QLabel *banner = placed(plainLabel(QString(), &window));
        banner->setScaledContents(true);
        return banner;
    }
    case Kind::PictureButton: {
        auto *button = placed(new PictureButton(Colours::kOptionText, &window));
        // A click takes the focus, as Tab does, so leaving the interval box by clicking
        // a button checks the box first.
        button->setFocusPolicy(row.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        // The face says nothing to a screen reader; the tool tip says what it does.
        if (!*row.accessibleName)
            button->setAccessibleName(button->toolTip().trimmed());
        button->setAutoRaise(false);
        button->setIconSize(place.size());
        button->setStyleSheet(
            QStringLiteral("QToolButton{border:none;padding:0;%1}").arg(colourRules(row.look)));
        return button;
    }
    case Kind::CheckBox: {
        auto *box = placed(new TriCheckBox(caption, &window));
        box->setStyleSheet(QStringLiteral("TriCheckBox{%1}").arg(colourRules(row.look)));
        return box;
    }
    case Kind::Picture: {
        // Placed through its own properties, which keep the place for stretching.
        auto *picture = new PictureElement(&window);
        picture->setObjectName(QLatin1String(row.name));
        picture->setStretch(true);
        picture->setLeft(float(place.left()));
        picture->setTop(float(place.top()));
        picture->setWidth(float(place.width()));
        picture->setHeight(float(place.height()));
        picture->setAccessibleName(QCoreApplication::translate("frmVivrel", row.accessibleName));
        return picture;
    }
    case Kind::Label: {
        QLabel *label = placed(plainLabel(caption, &window));
        label->setStyleSheet(QStringLiteral("QLabel{%1}").arg(colourRules(row.look)));
        if (!row.look.ground.isValid())
            label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    }
    case Kind::Link: {
        auto *link = placed(new LinkLabel(caption, &window));
        QFont font = tahoma(9.75);
        font.setBold(true);
        font.setItalic(true);
        font.setUnderline(true);
        link->setFont(font);
        // A palette rather than a style sheet, so the hover look can change the colour.
        QPalette colours = link->palette();
        colours.setColor(QPalette::WindowText, row.look.text);
        link->setPalette(colours);
        link->setCursor(Qt::PointingHandCursor);
        return link;
    }
    case Kind::Browser: {
        auto *browser = placed(new QTextBrowser(&window));
        browser->setOpenLinks(false);
        return browser;
    }
    case Kind::List: {
        auto *view = placed(new FileListView(list, &window));
        view->setStyleSheet(QStringLiteral("QListView{%1}").arg(colourRules(row.look)));
        return view;
    }
    case Kind::Selector: {
        auto *selector = placed(new QComboBox(&window));
        if (!*row.accessibleName)
            selector->setAccessibleName(selector->toolTip().trimmed());
        selector->setStyleSheet(
            QStringLiteral("QComboBox{%1padding-left:1px;}").arg(colourRules(row.look)));
        return selector;
    }
    case Kind::TextBox:
        return placed(new QLineEdit(caption, &window));
    }
    Q_UNREACHABLE();
}

} // namespace

frmVivrel::frmVivrel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmVivrel"));
    setWindowTitle(Module1::mainCaption());
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(368, 293);
    setFont(tahoma(8.25));
    Accessibility::install();

    mCatalogue = new Catalogue(this);
    mFileList = &mCatalogue->fileList();
    mShow = new SlideShow(
        {.count = [this] { return qint64(mFileList->count()); },
         .isSelected = [this](qint64 i) { return File1->isSelected(i); },
         .path = [this](qint64 i) { return mFileList->fullPath(i); }},
        [this] { return showOptions(); }, this);
    Timer1 = &mShow->timer();
    buildControls();
    connectCatalogue();
    connectAdvert();
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
    connect(mViewer, &frmPreview::nextRequested, mShow, &SlideShow::Timer1_Timer);
    connect(mViewer, &frmPreview::previousRequested, this, &frmVivrel::DoPrevious);
    connect(mViewer, &frmPreview::fitChanged, this, &frmVivrel::DoLoadFullScreen);
    connect(mViewer, &frmPreview::backgroundChosen, mStartUp, &StartUp::backgroundChosen);
    connect(mViewer, &frmPreview::showRunRequested, mShow, &SlideShow::setRunning);
    mViewer->setShowRunning(mShow->isRunning());
    connect(mShow, &SlideShow::runningChanged, mViewer, &frmPreview::setShowRunning);
    connect(mViewer, &frmPreview::closed, this, [this] {
        // The keyboard comes back here, also where no window manager hands it over.
        if (isVisible())
            activateWindow();
    });
}

Artwork::Face frmVivrel::cmdResumeFace() const
{
    return mShow->isGoing() ? Artwork::Face::Pause : Artwork::Face::Resume;
}

void frmVivrel::drawArtwork()
{
    const qreal ratio = devicePixelRatioF();
    mArtworkRatio = ratio;
    Image1->setPixmap(Artwork::banner(Image1->size(), ratio));
    for (const FacedButton &faced : mFaces) {
        const Artwork::Face face = faced.button == cmdResume ? cmdResumeFace() : faced.face;
        faced.button->setIcon(
            QIcon(Artwork::buttonFace(face, faced.button->size(), faced.ground, ratio)));
    }
    setWindowIcon(QIcon(Artwork::icon(64, ratio)));
    update(); // the skin, which is drawn at each paint
}

void frmVivrel::followScreen()
{
    // Not while the window waits for a show's first picture to be painted: drawn then.
    if (updatesEnabled() && devicePixelRatioF() != mArtworkRatio)
        drawArtwork();
}

void frmVivrel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The platform window exists from the first show on; from then on a move to a
    // monitor of another pixel ratio redraws the artwork for it.
    if (QWindow *window = windowHandle(); window && !mWatchingScreen) {
        connect(window, &QWindow::screenChanged, this, &frmVivrel::followScreen);
        mWatchingScreen = true;
    }
    followScreen();
}

void frmVivrel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A translucent window is shaped by what it paints: nothing outside the outline.
    if (testAttribute(Qt::WA_TranslucentBackground) && !mask().isEmpty())
        painter.setClipRegion(mask());
    painter.drawPixmap(0, 0, Artwork::skin(size(), devicePixelRatioF()));
    // One pixel wide, on the outermost pixels of each outline's place, in the system's
    // button-shadow colour; every control is drawn over them.
    painter.setPen(QPen(palette().color(QPalette::Dark), 0));
    for (const QRect &twips : kOutlineTwips)
        painter.drawRect(pixels(twips).adjusted(0, 0, -1, -1));
}

void frmVivrel::buildControls()
{
    using Colours::kOptionGround;
    using Colours::kPeach;
    // Each control is drawn over the ones above it in the table: the banner before the
    // buttons and the link that sit on it, the preview pane before the file name and the
    // web panel that cover it.
    // clang-format off
    const Control controls[] = {
        // holder          object name        kind                 twips: left, top, width, height
        //     caption, tool tip, look (ground, text), face, false where Tab passes it over,
        //     and the name assistive technology gives it where neither caption nor tool tip does
        {&Image1,          "Image1",          Kind::Banner,        {150, 120, 5235, 375},
             "", "", {}, {}, true, "Tremallo Vivrel"},
        {&cmdTools,        "cmdTools",        Kind::PictureButton, {4320, 3780, 900, 375},
             "", QT_TR_NOOP(" Create Configuration Settings File (.INI), and Autrun file (Ref. Help for "
                 "more information) "), {kPeach}, Face::Tools},
        {&cmdMinimise,     "cmdMinimise",     Kind::PictureButton, {4800, 170, 230, 230},
             "", "", {kOptionGround}, Face::Minimise, false, QT_TR_NOOP("Minimise")},
        {&cmdClose,        "cmdClose",        Kind::PictureButton, {5040, 170, 230, 230},
             "", "", {kOptionGround}, Face::Close, false, QT_TR_NOOP("Close")},
        {&cmdHelp,         "cmdHelp",         Kind::PictureButton, {4560, 170, 230, 230},
             "", "", {kOptionGround}, Face::Help, false, QT_TR_NOOP("Help")},
        {&chkRandom,       "chkRandom",       Kind::CheckBox,      {360, 3300, 1215, 255},
             QT_TR_NOOP("&Random"), QT_TR_NOOP(" Random Order "), kOptionLook},
        {&chkAdditive,     "chkAdditive",     Kind::CheckBox,      {3720, 705, 975, 255},
             QT_TR_NOOP("A&dditive"), QT_TR_NOOP(" Check this option if you want to add additional folders to the "
                          "list without clearing it "), kOptionLook},
        // The preview pane and the web panel share one rectangle.
        {&imgPreview,      "imgPreview",      Kind::Picture,       {360, 960, 2415, 1815},
             "", "", {}, {}, true, QT_TR_NOOP("Preview")},
        {&lblFileName,     "lblFileName",     Kind::Label,         {480, 960, 2175, 255},
             "", "", {{}, kPeach}},
        {&WebBrowser1,     "WebBrowser1",     Kind::Browser,       {360, 960, 2415, 1815},
             "", "", {}, {}, true, QT_TR_NOOP("Tremallo page")},
        {&File1,           "File1",           Kind::List,          {2880, 960, 2295, 1815},
             "", "", kOptionLook, {}, true, QT_TR_NOOP("Pictures")},
        {&chkSaveSettings, "chkSaveSettings", Kind::CheckBox,      {1560, 3045, 1215, 255},
             QT_TR_NOOP("S&ave on Exit"), QT_TR_NOOP(" Saves your settings for later use "), kOptionLook},
        {&chkRepeat,       "chkRepeat",       Kind::CheckBox,      {360, 3045, 1215, 255},
             QT_TR_NOOP("R&epeat"), QT_TR_NOOP(" Continuous Play "), kOptionLook},
        {&cmdDirList,      "cmdDirList",      Kind::PictureButton, {4710, 720, 450, 255},
             "", QT_TR_NOOP(" Browse for Folder "), {kOptionGround}, Face::Folder},
        {&cmbFileType,     "cmbFileType",     Kind::Selector,      {3840, 2880, 1335, 315},
             "", QT_TR_NOOP("Specify File Types "), {kOptionGround, Qt::black}},
        {&chkPreview,      "chkPreview",      Kind::CheckBox,      {360, 2790, 1215, 255},
             QT_TR_NOOP("&Preview"), QT_TR_NOOP(" Toggle Previw "), kOptionLook},
        {&Text1,           "Text1",           Kind::TextBox,       {960, 3810, 375, 285},
             "3", QT_TR_NOOP(" Interval Seconds ")},
        {&cmdStart,        "cmdStart",        Kind::PictureButton, {2400, 3780, 900, 375},
             "", QT_TR_NOOP(" Start Show "), {kPeach}, Face::Start},
        {&cmdResume,       "cmdResume",       Kind::PictureButton, {3360, 3780, 900, 375},
             "", QT_TR_NOOP(" Resume Show "), {Colours::kResumeGround}, Face::Resume},
        {&cmdSelectAll,    "cmdSelectAll",    Kind::PictureButton, {2880, 2880, 855, 315},
             "", QT_TR_NOOP(" Select All Listed Files "), {kOptionGround}, Face::SelectAll},
        {&chkFullScreen,   "chkFullScreen",   Kind::CheckBox,      {1560, 2790, 1215, 255},
             QT_TR_NOOP("F&ull Screen"), QT_TR_NOOP(" Show in Full Screen "), kOptionLook},
        {&Label3,          "Label3",          Kind::Link,          {200, 220, 1335, 255},
             "Tremallo", QT_TR_NOOP(" Click here to go to Tremallo Website "), {{}, Colours::kLink}},
        {&Label1,          "Label1",          Kind::Label,         {360, 3840, 615, 255},
             QT_TR_NOOP("&Interval"), "", kOptionLook},
        {&Label2,          "Label2",          Kind::Label,         {1350, 3840, 735, 255},
             QT_TR_NOOP("Seconds"), "", kOptionLook},
    };
    // clang-format on

    for (const Control &row : controls) {
        QObject *control = makeControl(row, *this, mFileList);
        if (row.kind == Kind::PictureButton)
            mFaces.push_back({qobject_cast<QToolButton *>(control), row.face, row.look.ground});
        std::visit(
            [control](auto member) {
                *member = qobject_cast<std::remove_pointer_t<decltype(member)>>(control);
                Q_ASSERT(*member);
            },
            row.holder);
    }
    // The one option that starts ticked.
    chkSaveSettings->setValue(1);
    // Alt+I, the interval label's access key, goes to the box beside it.
    Label1->setBuddy(Text1);

    // Tab order as the window was designed. Plain labels take no focus and are passed
    // over; the link takes it from Tab alone, so the keyboard reaches the web site too.
    const QList<QWidget *> tabOrder = {
        cmdStart,    chkFullScreen, cmdSelectAll, cmdHelp,     cmdResume, Text1,           Label3,
        chkPreview,  cmbFileType,   cmdDirList,   WebBrowser1, chkRepeat, chkSaveSettings, File1,
        chkAdditive, chkRandom,     cmdClose,     cmdMinimise, cmdTools};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The window opens on the first control of that order; left to itself Qt would pick
    // the first control created that takes Tab. Start-up may move it on (Select All does).
    tabOrder.first()->setFocus(Qt::OtherFocusReason);
    // The artwork is drawn when the window is first shown, for its screen; the banner is
    // a picture from the start all the same, as assistive technology is told.
    QPixmap blank(Image1->size());
    blank.fill(Qt::transparent);
    Image1->setPixmap(blank);
}
