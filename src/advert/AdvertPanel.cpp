// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/AdvertPanel.h"

#include "advert/AdvertPage.h"
#include "advert/BoundedDownloader.h"
#include "common/Files.h"
#include "common/PictureLoader.h"
#include "common/Seams.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QPalette>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

namespace {

QColor attributeColour(const QString &attributes, const QString &name)
{
    const QRegularExpression pattern(
        QStringLiteral(R"re((?:^|\s)%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(attributes);
    for (int group = 1; group <= 3; ++group) {
        if (match.capturedLength(group) > 0)
            return QColor(match.captured(group).trimmed());
    }
    return QColor();
}

/** At most `cap` bytes of one of the panel's files; nothing from a link, a folder or a device. */
Result<QByteArray> readPanelFile(const QString &path, qint64 cap)
{
    return Files::read(path, cap, Files::NoLinks);
}

QImage blankPicture()
{
    QImage blank(1, 1, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    return blank;
}

PanelDocument *panelDocument(const QTextBrowser &browser)
{
    return dynamic_cast<PanelDocument *>(browser.document());
}

} // namespace

QString tamedPage(const QString &html)
{
    static const QRegularExpression tableTag(
        QStringLiteral("<(\\s*/?\\s*)(table|tbody|thead|tfoot|caption|tr|td|th)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    constexpr int kMaxTableDepth = 3;
    int depth = 0;
    int deepest = 0;
    for (auto it = tableTag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedView(2).compare(QLatin1String("table"), Qt::CaseInsensitive) != 0)
            continue;
        if (m.capturedView(1).contains(u'/'))
            depth = std::max(0, depth - 1);
        else
            deepest = std::max(deepest, ++depth);
    }
    if (deepest <= kMaxTableDepth)
        return html;
    QString flat = html;
    flat.replace(tableTag, QStringLiteral("<\\1div"));
    return flat;
}

PageColours pageColoursOf(const QString &html)
{
    static const QRegularExpression body(QStringLiteral(R"(<body\b([^>]*)>)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = body.match(html);
    if (!match.hasMatch())
        return {};
    const QString attributes = match.captured(1);
    return {attributeColour(attributes, QStringLiteral("text")),
            attributeColour(attributes, QStringLiteral("bgcolor"))};
}

QVariant PanelDocument::loadResource(int type, const QUrl &name)
{
    // Never the base class: it would read local files and data: addresses. A refused
    // picture gets an invisible stand-in, as the text engine would otherwise try to
    // load it from the file system itself.
    if (type == QTextDocument::ImageResource) {
        const Result<QImage> picture = ownPicture(name);
        return picture ? QVariant(*picture) : QVariant(blankPicture());
    }
    return QVariant(QString());
}

Result<QImage> PanelDocument::ownPicture(const QUrl &name) const
{
    if (pageFile.isEmpty())
        return Error::FileNotFound;
    if (!name.scheme().isEmpty() || !name.host().isEmpty() || name.hasQuery())
        return Error::BadFileName;
    QString picture = name.path();
    if (picture.startsWith(QLatin1String("./")))
        picture.remove(0, 2);
    if (picture != AdvertPage::jpegName() && picture != AdvertPage::gifName())
        return Error::BadFileName;

    const QString path = QFileInfo(pageFile).absolutePath() + u'/' + picture;
    const Result<QByteArray> bytes = readPanelFile(path, AdvertPage::kPictureCap);
    if (!bytes)
        return bytes.error();
    Result<Picture> loaded = PictureLoader::loadBytes(*bytes, AdvertPage::kPictureLimits);
    if (!loaded)
        return loaded.error();
    return std::move(loaded->image);
}

namespace AdvertPanel {

QFont fittedFont(const QFont &base, qreal textWidth)
{
    QTextDocument page;
    page.setHtml(QString::fromLatin1(AdvertPage::composedPage()));
    QTextBlock line;
    qsizetype from = -1;
    for (QTextBlock block = page.begin(); block.isValid() && from < 0; block = block.next()) {
        from = block.text().indexOf(QLatin1String("Tremallo"));
        line = block;
    }
    const qsizetype to = line.text().lastIndexOf(u'l');
    QFont font = base;
    // The page was made for a larger face than the window's captions: from half as large
    // again, down to the largest size that keeps the name's line whole. (Smaller still,
    // the thanks and the name would crowd onto one line.)
    int pixels = QFontInfo(base).pixelSize() * 3 / 2;
    for (; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        page.setDefaultFont(font);
        page.setTextWidth(textWidth);
        static_cast<void>(page.size()); // lays it out
        const QTextLayout *layout = line.layout();
        if (from < 0 || to < from || !layout)
            break; // not the page it was made for: the window's font will do
        if (layout->lineForTextPosition(int(from)).lineNumber() ==
            layout->lineForTextPosition(int(to)).lineNumber())
            break;
    }
    font.setPixelSize(std::max(pixels, 6));
    return font;
}

void attach(QTextBrowser &browser)
{
    if (panelDocument(browser))
        return;

    browser.setOpenLinks(false);
    browser.setOpenExternalLinks(false);
    browser.setDocument(new PanelDocument(&browser));
    // The program's own page is the measure: its name on one line, never broken within.
    // A document set on the browser keeps its own font until told.
    const QFont font = fittedFont(browser.font(), browser.contentsRect().width());
    browser.setFont(font);
    browser.document()->setDefaultFont(font);
    QObject::connect(&browser, &QTextBrowser::anchorClicked, &browser, [](const QUrl &link) {
        if (isWebUrl(link))
            seams().openWithShell(link.toString(QUrl::FullyEncoded));
    });
}

void showPage(QTextBrowser &browser, const QString &pageFile)
{
    attach(browser);
    panelDocument(browser)->pageFile = pageFile;
    reload(browser);
}

void reload(QTextBrowser &browser)
{
    attach(browser);
    PanelDocument *document = panelDocument(browser);
    // Clearing drops the pictures the document keeps, so changed files are read anew.
    document->clear();
    QPalette colours;
    browser.setPalette(colours);
    const Result<QByteArray> bytes = readPanelFile(document->pageFile, AdvertPage::kPageCap);
    if (!bytes)
        return;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(*bytes);
    const QString html =
        decoder.isValid() ? QString(decoder.decode(*bytes)) : QString::fromLatin1(*bytes);

    // The text engine ignores the body's text colour; the panel's palette carries both.
    const PageColours pageColours = pageColoursOf(html);
    if (pageColours.text.isValid())
        colours.setColor(QPalette::Text, pageColours.text);
    if (pageColours.background.isValid())
        colours.setColor(QPalette::Base, pageColours.background);
    browser.setPalette(colours);
    browser.setHtml(tamedPage(html));
}

QString pageFile(const QTextBrowser &browser)
{
    const PanelDocument *document = panelDocument(browser);
    return document ? document->pageFile : QString();
}

} // namespace AdvertPanel
