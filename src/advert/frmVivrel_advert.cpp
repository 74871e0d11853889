// The main window's web panel: the page shown at start-up and the once-per-run fetch
// of the maker's page and pictures.

#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "advert/BoundedDownloader.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "common/Seams.h"

#include <QTextBrowser>

namespace {

QString privateFolder()
{
    if (Module1::mTempPath().isEmpty())
        Module1::initTempPath();
    return Module1::mTempPath();
}

} // namespace

void frmVivrel::PrepareAdvertPanel()
{
    const QString page = privateFolder() + AdvertPage::pageName();
    // A page from an earlier run (composed or fetched) stays; a link at the name does not
    // count as a page and is replaced.
    if (!isPlainFile(page))
        replaceFileContents(page, AdvertPage::composedPage());
    AdvertPanel::showPage(*WebBrowser1, page);
}

void frmVivrel::DownloadAdvert()
{
    if (mAdvertFetched)
        return;
    if (seams().isOnline()) {
        // The downloads let events run; a show left running must not step meanwhile,
        // between Start Show's reset of the position and its first slide.
        const IntervalTimer::Hold showHeld(Timer1);
        const QString folder = privateFolder();
        const QString base = AdvertPage::baseUrl();
        BoundedDownloader downloader;
        downloader.DownloadUrlToFile(AdvertPage::remoteUrl(base, AdvertPage::pageName()),
                                     folder + AdvertPage::pageName(), AdvertPage::kPageCap);
        downloader.DownloadUrlToFile(AdvertPage::remoteUrl(base, AdvertPage::jpegName()),
                                     folder + AdvertPage::jpegName(), AdvertPage::kPictureCap);
        downloader.DownloadUrlToFile(AdvertPage::remoteUrl(base, AdvertPage::gifName()),
                                     folder + AdvertPage::gifName(), AdvertPage::kPictureCap);
    }
    mAdvertFetched = true;
    AdvertPanel::reload(*WebBrowser1);
}
