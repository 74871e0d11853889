// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's part in the objects that own its picture list and its web panel:
// made with the window and wired to its controls; the window's show and start-up call
// them directly.

#include "advert/Advert.h"
#include "catalogue/Catalogue.h"
#include "chrome/Colours.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "config/StartUp.h"

#include <QLineEdit>
#include <QToolButton>

#include <list>
#include <memory>

void frmVivrel::connectCatalogue()
{
    // The option ground, with the list showing faintly through.
    QColor ground = Colours::kOptionGround;
    ground.setAlpha(220);
    mCatalogue->attach({
        .File1 = File1,
        .cmdDirList = cmdDirList,
        .cmdSelectAll = cmdSelectAll,
        .cmbFileType = cmbFileType,
        .chkAdditive = chkAdditive,
        .cmdStart = cmdStart,
        .window = this,
        .scanNoteStyle =
            QStringLiteral("QLabel{background:%1;color:%2;}")
                .arg(Colours::styleColour(ground), Colours::styleColour(Colours::kOptionText)),
    });
    // Dropped on the interval box, a path would land there as text.
    Text1->setAcceptDrops(false);
    // The show's steps wait while a scan fills the list (holds nest, as scans could).
    auto holds = std::make_shared<std::list<IntervalTimer::Hold>>();
    connect(mCatalogue, &Catalogue::scanStarted, this,
            [this, holds] { holds->emplace_back(Timer1); });
    connect(mCatalogue, &Catalogue::scanEnded, this, [holds] { holds->pop_back(); });
    // Select All moves the current item to the last one without previewing it.
    connect(mCatalogue, &Catalogue::selectingAll, this,
            [this](bool selecting) { mPreviewNow = !selecting; });
}

void frmVivrel::connectAdvert()
{
    mAdvert = new Advert(WebBrowser1, this, &StartUp::storedAdvertBaseUrl);
}
