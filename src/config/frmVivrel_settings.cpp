// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's options in the per-user store: read at start-up, written at
// shut-down, and the viewer's background picture.

#include "chrome/frmVivrel.h"
#include "config/Background.h"
#include "config/SettingsStore.h"
#include "config/StoredControls.h"
#include "viewer/frmPreview.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <span>
#include <vector>

using SettingsStore::GetSetting;

using StoredControls::applyCheckBox;
using StoredControls::applyCheckMark;
using StoredControls::checkBoxText;
using StoredControls::checkMarkText;

namespace {

/** An empty folder in the store means nothing was ever stored there. */
constexpr char kFolderKey[] = "mPath";

} // namespace

struct frmVivrel::StoredSetting
{
    const char *key;
    /** Written in place of the current value when "Save on Exit" is not ticked. */
    const char *resetValue;
    /** When start-up applies it, 1 first; see storedSettings() for why it differs. */
    int loadStep;
    /** Puts the stored text into the holder. */
    void (*read)(frmVivrel &w, const QString &stored);
    /** The holder's current value as the text to store. */
    QString (*write)(frmVivrel &w);

    /** Whether the rows' load steps number them 1 to n, each once. */
    static constexpr bool isLoadOrder(std::span<const StoredSetting> rows)
    {
        for (int step = 1; step <= int(rows.size()); ++step) {
            if (std::ranges::count(rows, step, &StoredSetting::loadStep) != 1)
                return false;
        }
        return true;
    }
};

std::span<const frmVivrel::StoredSetting> frmVivrel::storedSettings()
{
    // The rows stand in the order shut-down writes them. Start-up applies them in an order
    // of its own, their load step: the folder first, since it has just decided whether
    // anything is applied at all; Retain Shape last, since it only counts once Stretch is
    // known; and Save on Exit before Random, as start-up has always done it.
    static constexpr StoredSetting rows[] = {
        {"mInterval", "3", 2, //
         [](frmVivrel &w, const QString &stored) { w.Text1->setText(stored); },
         [](frmVivrel &w) { return w.Text1->text(); }},
        // The single-space folder is not empty, so the next start counts as a later run
        // (no thank-you mail) yet scans nothing.
        {kFolderKey, " ", 1, //
         [](frmVivrel &w, const QString &stored) { w.setDirPath(stored); },
         [](frmVivrel &w) { return w.dirPath(); }},
        {"mFullScreen", "0", 3,
         [](frmVivrel &w, const QString &stored) { applyCheckBox(w.chkFullScreen, stored); },
         [](frmVivrel &w) { return checkBoxText(*w.chkFullScreen); }},
        // A changed value reaches the preview behaviour through the box's own signal.
        {"mPreview", "0", 4,
         [](frmVivrel &w, const QString &stored) { applyCheckBox(w.chkPreview, stored); },
         [](frmVivrel &w) { return checkBoxText(*w.chkPreview); }},
        // The selector takes a text only as one of its items; the scan works from the item.
        {"mFileType", "*.jpg;*.bmp;*.gif", 5,
         [](frmVivrel &w, const QString &stored) {
             const int item =
                 w.cmbFileType->findText(stored, Qt::MatchFixedString | Qt::MatchCaseSensitive);
             if (item >= 0)
                 w.cmbFileType->setCurrentIndex(item);
         },
         [](frmVivrel &w) { return w.cmbFileType->currentText(); }},
        {"mStretchImage", "0", 6,
         [](frmVivrel &w, const QString &stored) {
             applyCheckMark(w.viewer(), &frmPreview::setStretchChecked, stored);
         },
         [](frmVivrel &w) { return checkMarkText(w.viewer().stretchChecked()); }},
        // Retain Shape is a choice within Stretch: without Stretch its entry is switched
        // off and its stored mark left alone.
        {"mRetainShape", "0", 10,
         [](frmVivrel &w, const QString &stored) {
             frmPreview &view = w.viewer();
             if (view.stretchChecked()) {
                 view.DoStretch();
                 applyCheckMark(view, &frmPreview::setRetainShapeChecked, stored);
             } else {
                 view.setRetainShapeEnabled(false);
             }
         },
         [](frmVivrel &w) { return checkMarkText(w.viewer().retainShapeChecked()); }},
        {"mRepeat", "0", 7,
         [](frmVivrel &w, const QString &stored) { applyCheckBox(w.chkRepeat, stored); },
         [](frmVivrel &w) { return checkBoxText(*w.chkRepeat); }},
        {"mRandom", "0", 9,
         [](frmVivrel &w, const QString &stored) { applyCheckBox(w.chkRandom, stored); },
         [](frmVivrel &w) { return checkBoxText(*w.chkRandom); }},
        {"mSaveSettings", "0", 8,
         [](frmVivrel &w, const QString &stored) { applyCheckBox(w.chkSaveSettings, stored); },
         [](frmVivrel &w) { return checkBoxText(*w.chkSaveSettings); }},
    };
    static_assert(StoredSetting::isLoadOrder(rows));
    return rows;
}

bool frmVivrel::LoadStoredSettings()
{
    if (GetSetting(QLatin1String(kFolderKey)).isEmpty())
        return false;
    const std::span<const StoredSetting> rows = storedSettings();
    std::vector<const StoredSetting *> inLoadOrder(rows.size());
    for (const StoredSetting &row : rows)
        inLoadOrder[std::size_t(row.loadStep - 1)] = &row;
    // Each value that does not convert is passed over; the ones after it still apply.
    for (const StoredSetting *row : inLoadOrder)
        row->read(*this, GetSetting(QLatin1String(row->key)));
    return true;
}

void frmVivrel::SaveStoredSettings()
{
    const bool current = chkSaveSettings->value() == 1;
    // All keys, then one write: each key flushed on its own read and wrote a large
    // store once per key. A store that cannot be written keeps what it had.
    QList<std::pair<QString, QString>> values;
    for (const StoredSetting &row : storedSettings())
        values.append({QLatin1String(row.key),
                       current ? row.write(*this) : QString::fromLatin1(row.resetValue)});
    static_cast<void>(SettingsStore::SaveSettings(values));
}

void frmVivrel::LoadViewerBackground()
{
    const QString path = GetSetting(QStringLiteral("mBgd"));
    if (path.isEmpty())
        return;
    // A file that no longer loads keeps the background the viewer has.
    if (const Result<QImage> picture = loadBackgroundPicture(path))
        viewer().setBackground(*picture);
}
