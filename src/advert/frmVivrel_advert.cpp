// The main window's web panel: the page shown at start-up and the once-per-run fetch
// of the maker's page and pictures.

#include "advert/AdvertPage.h"
#include "advert/AdvertPanel.h"
#include "advert/BoundedDownloader.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
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
    if (!Files::check(page, Files::NoLinks)) {
        // Nothing to show then but an empty panel, as with a page that does not read.
        static_cast<void>(Files::replace(page, AdvertPage::composedPage()));
    }
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
        for (const QString &name :
             {AdvertPage::pageName(), AdvertPage::jpegName(), AdvertPage::gifName()}) {
            const qint64 cap =
                name == AdvertPage::pageName() ? AdvertPage::kPageCap : AdvertPage::kPictureCap;
            // A fetch that fails leaves the file from before, and the panel shows that.
            static_cast<void>(downloader.DownloadUrlToFile(AdvertPage::remoteUrl(base, name),
                                                           folder + name, cap));
        }
    }
    mAdvertFetched = true;
    AdvertPanel::reload(*WebBrowser1);
}
