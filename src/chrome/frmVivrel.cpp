#include "chrome/frmVivrel.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/Artwork.h"
#include "chrome/Colours.h"
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

enum class Kind {
    Shape,         ///< an outline in the system's button-shadow colour, for decoration
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
    Timer,         ///< the show's timer, which has no place on the window
};

/** Where the window keeps a control: its member of the control's type. */
using Holder =
    std::variant<QFrame **, QLabel **, QToolButton **, TriCheckBox **, PictureElement **,
                 QTextBrowser **, FileListView **, QComboBox **, QLineEdit **, IntervalTimer **>;

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
QObject *makeControl(const Control &row, QWidget &window, FileList *list, QObject *enterPresses)
{
    const QRect place = pixels(row.twips);
    const QString caption = QString::fromLatin1(row.caption);
    const auto placed = [&](auto *control) {
        control->setObjectName(QLatin1String(row.name));
        control->setGeometry(place);
        if (*row.toolTip)
            control->setToolTip(QString::fromLatin1(row.toolTip));
        return control;
    };
    switch (row.kind) {
    case Kind::Shape: {
        auto *frame = placed(new QFrame(&window));
        frame->setStyleSheet(QStringLiteral("QFrame{border:1px solid %1;background:transparent;}")
                                 .arg(window.palette().color(QPalette::Dark).name()));
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        return frame;
    }
    case Kind::Banner: {
        QLabel *banner = placed(plainLabel(QString(), &window));
        banner->setScaledContents(true);
        banner->setPixmap(Artwork::banner(place.size()));
        return banner;
    }
    case Kind::PictureButton: {
        auto *button = placed(new QToolButton(&window));
        // A click takes the focus, as Tab does, so leaving the interval box by clicking
        // a button checks the box first.
        button->setFocusPolicy(row.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        button->installEventFilter(enterPresses);
        button->setAutoRaise(false);
        button->setIconSize(place.size());
        button->setIcon(QIcon(Artwork::buttonFace(row.face, place.size(), row.look.ground)));
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
        QLabel *link = placed(plainLabel(caption, &window));
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
        selector->setStyleSheet(
            QStringLiteral("QComboBox{%1padding-left:1px;}").arg(colourRules(row.look)));
        return selector;
    }
    case Kind::TextBox:
        return placed(new QLineEdit(caption, &window));
    case Kind::Timer: {
        auto *timer = new IntervalTimer(&window);
        timer->setObjectName(QLatin1String(row.name));
        return timer;
    }
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
    cmdResume->setIcon(QIcon(Artwork::buttonFace(face, cmdResume->size(), Colours::kResumeGround)));
}

void frmVivrel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Artwork::skin(size()));
}

void frmVivrel::buildControls()
{
    using Colours::kOptionGround;
    using Colours::kPeach;
    // Each control is drawn over the ones above it in the table: the outlines first, the
    // banner before the buttons and the link that sit on it, the preview pane before the
    // file name and the web panel that cover it.
    // clang-format off
    const Control controls[] = {
        // holder          object name        kind                 twips: left, top, width, height
        //     caption, tool tip, look (ground, text), face, and false where Tab passes it over
        {&Shape1,          "Shape1",          Kind::Shape,         {240, 680, 5055, 3015}},
        {&Shape3,          "Shape3",          Kind::Shape,         {240, 3720, 1935, 495}},
        {&Shape4,          "Shape4",          Kind::Shape,         {2280, 3720, 3015, 495}},
        {&Image1,          "Image1",          Kind::Banner,        {150, 120, 5235, 375}},
        {&cmdTools,        "cmdTools",        Kind::PictureButton, {4320, 3780, 900, 375},
             "", " Create Configuration Settings File (.INI), and Autrun file (Ref. Help for "
                 "more information) ", {kPeach}, Face::Tools},
        {&cmdMinimise,     "cmdMinimise",     Kind::PictureButton, {4800, 170, 230, 230},
             "", "", {kOptionGround}, Face::Minimise, false},
        {&cmdClose,        "cmdClose",        Kind::PictureButton, {5040, 170, 230, 230},
             "", "", {kOptionGround}, Face::Close, false},
        {&cmdHelp,         "cmdHelp",         Kind::PictureButton, {4560, 170, 230, 230},
             "", "", {kOptionGround}, Face::Help, false},
        {&chkRandom,       "chkRandom",       Kind::CheckBox,      {360, 3300, 1215, 255},
             "&Random", " Random Order ", kOptionLook},
        {&chkAdditive,     "chkAdditive",     Kind::CheckBox,      {3720, 705, 975, 255},
             "A&dditive", " Check this option if you want to add additional folders to the "
                          "list without clearing it ", kOptionLook},
        // The preview pane and the web panel share one rectangle.
        {&imgPreview,      "imgPreview",      Kind::Picture,       {360, 960, 2415, 1815}},
        {&lblFileName,     "lblFileName",     Kind::Label,         {480, 960, 2175, 255},
             "", "", {{}, kPeach}},
        {&WebBrowser1,     "WebBrowser1",     Kind::Browser,       {360, 960, 2415, 1815}},
        {&File1,           "File1",           Kind::List,          {2880, 960, 2295, 1815},
             "", "", kOptionLook},
        {&chkSaveSettings, "chkSaveSettings", Kind::CheckBox,      {1560, 3045, 1215, 255},
             "S&ave on Exit", " Saves your settings for later use ", kOptionLook},
        {&chkRepeat,       "chkRepeat",       Kind::CheckBox,      {360, 3045, 1215, 255},
             "R&epeat", " Continuous Play ", kOptionLook},
        {&cmdDirList,      "cmdDirList",      Kind::PictureButton, {4710, 720, 450, 255},
             "", " Browse for Folder ", {kOptionGround}, Face::Folder},
        {&cmbFileType,     "cmbFileType",     Kind::Selector,      {3840, 2880, 1335, 315},
             "", "Specify File Types ", {kOptionGround, Qt::black}},
        {&Timer1,          "Timer1",          Kind::Timer},
        {&chkPreview,      "chkPreview",      Kind::CheckBox,      {360, 2790, 1215, 255},
             "&Preview", " Toggle Previw ", kOptionLook},
        {&Text1,           "Text1",           Kind::TextBox,       {960, 3810, 375, 285},
             "3", " Interval Seconds "},
        {&cmdStart,        "cmdStart",        Kind::PictureButton, {2400, 3780, 900, 375},
             "", " Start Show ", {kPeach}, Face::Start},
        {&cmdResume,       "cmdResume",       Kind::PictureButton, {3360, 3780, 900, 375},
             "", " Resume Show ", {Colours::kResumeGround}, Face::Resume},
        {&cmdSelectAll,    "cmdSelectAll",    Kind::PictureButton, {2880, 2880, 855, 315},
             "", " Select All Listed Files ", {kOptionGround}, Face::SelectAll},
        {&chkFullScreen,   "chkFullScreen",   Kind::CheckBox,      {1560, 2790, 1215, 255},
             "F&ull Screen", " Show in Full Screen ", kOptionLook},
        {&Label3,          "Label3",          Kind::Link,          {200, 220, 1335, 255},
             "Tremallo", " Click here to go to Tremallo Website ", {{}, Colours::kLink}},
        {&Label1,          "Label1",          Kind::Label,         {360, 3840, 615, 255},
             "&Interval", "", kOptionLook},
        {&Label2,          "Label2",          Kind::Label,         {1350, 3840, 735, 255},
             "Seconds", "", kOptionLook},
    };
    // clang-format on

    auto *enterPresses = new EnterPressesButton(this);
    for (const Control &row : controls) {
        QObject *control = makeControl(row, *this, mFileList, enterPresses);
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

    // Tab order as the window was designed; labels take no focus and are passed over.
    const QList<QWidget *> tabOrder = {
        cmdStart,   chkFullScreen, cmdSelectAll, cmdHelp,     cmdResume,   Text1,
        chkPreview, cmbFileType,   cmdDirList,   WebBrowser1, chkRepeat,   chkSaveSettings,
        File1,      chkAdditive,   chkRandom,    cmdClose,    cmdMinimise, cmdTools};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The window opens on the first control of that order; left to itself Qt would pick
    // the first control created that takes Tab. Start-up may move it on (Select All does).
    tabOrder.first()->setFocus(Qt::OtherFocusReason);
}
