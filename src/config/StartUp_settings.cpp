// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every key of the per-user store, in one table: the main window's options, read at
// start-up (from the configuration file instead where there is one) and written at
// shut-down, and the keys read when they are wanted: the viewer's background picture
// and the advert server's address.

#include "common/Files.h"
#include "common/Paths.h"
#include "config/Background.h"
#include "config/IniFile.h"
#include "config/SettingsStore.h"
#include "config/StartUp.h"
#include "config/StartUpHost.h"
#include "config/StoredControls.h"
#include "config/StoredValues.h"
#include "viewer/frmPreview.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

using StoredControls::applyCheckBox;
using StoredControls::applyCheckMark;
using StoredControls::checkBoxText;
using StoredControls::checkMarkText;

namespace {

constexpr char kSettingsGroup[] = "Settings";
/** An empty folder in the store means nothing was ever stored there. */
constexpr char kFolderKey[] = "mPath";

} // namespace

enum class StartUp::Use {
    /** An option of the window: applied at start-up, written at shut-down. */
    Option,
    /** The viewer's background picture, stored when it is chosen. */
    Background,
    /** The advert server's base address, which only a hand-edited store holds. */
    AdvertBaseUrl,
};

struct StartUp::StoredSetting
{
    Use use = Use::Option;
    const char *group = kSettingsGroup;
    const char *key = nullptr;
    /** Written in place of the current value when "Save on Exit" is not ticked. */
    const char *resetValue = nullptr;
    /** When start-up applies it from the store, 1 first; 0 when it does not. */
    int loadStep = 0;
    /** Its key in the configuration file, where the file has it. */
    const char *fileKey = nullptr;
    /** What an absent or empty value in the file stands for. */
    const char *fileDefault = nullptr;
    /** When start-up applies it from the file, 1 first. */
    int fileStep = 0;
    /** Puts the stored text into the holder. */
    void (*read)(StartUp &s, const QString &stored) = nullptr;
    /** The holder's current value as the text to store. */
    QString (*write)(StartUp &s) = nullptr;
    /** Puts the file's text into the holder where it means other than the store's. */
    void (*readFile)(StartUp &s, const QString &value) = nullptr;

    /** Whether the rows' `step`s number the rows that have one 1 to n, each once. */
    static constexpr bool isOrder(std::span<const StoredSetting> rows, int StoredSetting::*step)
    {
        const auto numbered = std::ranges::count_if(rows, [&](const auto &r) { return r.*step; });
        for (int n = 1; n <= numbered; ++n) {
            if (std::ranges::count(rows, n, step) != 1)
                return false;
        }
        return true;
    }

    /**
     * Whether each option is in the group shut-down writes, has its reset value, load step
     * and holder, and has a file default with its file key; and whether no other row has
     * any of them.
     */
    static constexpr bool isWellFormed(std::span<const StoredSetting> rows)
    {
        return std::ranges::all_of(rows, [](const StoredSetting &r) {
            const bool option = r.use == Use::Option;
            return (std::string_view(r.group) == kSettingsGroup || !option) &&
                   option == (r.resetValue && r.loadStep && r.read && r.write) &&
                   (option || !r.fileKey) && (r.fileKey == nullptr) == (r.fileDefault == nullptr) &&
                   (r.fileKey == nullptr) == (r.fileStep == 0);
        });
    }
};

std::span<const StartUp::StoredSetting> StartUp::storedSettings()
{
    // The options stand in the order shut-down writes them. Start-up applies them from
    // the store in an order of its own, their load step: the folder first, since it has
    // just decided whether anything is applied at all; Retain Shape last, since it only
    // counts once Stretch is known; and Save on Exit before Random, as start-up has always
    // done it. The configuration file holds fewer of them, applied in its file step.
    static constexpr StoredSetting rows[] = {
        {.key = "mInterval",
         .resetValue = "3",
         .loadStep = 2,
         .fileKey = "Interval",
         .fileDefault = "3",
         .fileStep = 6,
         .read = [](StartUp &s, const QString &stored) { s.mControls.Text1->setText(stored); },
         .write = [](StartUp &s) { return s.mControls.Text1->text(); }},
        // The single-space folder is not empty, so the next start counts as a later run
        // (no thank-you mail) yet scans nothing.
        {.key = kFolderKey,
         .resetValue = " ",
         .loadStep = 1,
         .fileKey = "Path",
         // The executable's own folder; see readFile.
         .fileDefault = "",
         .fileStep = 1,
         .read = [](StartUp &s, const QString &stored) { s.mHost.setListedFolder(stored); },
         .write = [](StartUp &s) { return s.mHost.listedFolder(); },
         // A relative folder counts from the file's own; none is the executable's folder.
         .readFile =
             [](StartUp &s, const QString &value) {
                 const QString folder = IniFile::folderNamedIn(value, IniFile::iniFilePath());
                 s.mHost.setListedFolder(folder.isEmpty() ? Paths::executableFolder() : folder);
             }},
        {.key = "mFullScreen",
         .resetValue = "0",
         .loadStep = 3,
         .fileKey = "FullScreen",
         .fileDefault = "0",
         .fileStep = 2,
         .read = [](StartUp &s,
                    const QString &stored) { applyCheckBox(s.mControls.chkFullScreen, stored); },
         .write = [](StartUp &s) { return checkBoxText(*s.mControls.chkFullScreen); }},
        // A changed value reaches the preview behaviour through the box's own signal.
        {.key = "mPreview",
         .resetValue = "0",
         .loadStep = 4,
         .read = [](StartUp &s,
                    const QString &stored) { applyCheckBox(s.mControls.chkPreview, stored); },
         .write = [](StartUp &s) { return checkBoxText(*s.mControls.chkPreview); }},
        // The selector takes a text from the store only as one of its items, and an item
        // number from the file; the scan works from the item.
        {.key = "mFileType",
         .resetValue = "*.jpg;*.bmp;*.gif",
         .loadStep = 5,
         .fileKey = "FileType",
         .fileDefault = "0",
         .fileStep = 5,
         .read =
             [](StartUp &s, const QString &stored) {
                 QComboBox *selector = s.mControls.cmbFileType;
                 const int item =
                     selector->findText(stored, Qt::MatchFixedString | Qt::MatchCaseSensitive);
                 if (item >= 0)
                     selector->setCurrentIndex(item);
             },
         .write = [](StartUp &s) { return s.mControls.cmbFileType->currentText(); },
         .readFile =
             [](StartUp &s, const QString &value) {
                 QComboBox *selector = s.mControls.cmbFileType;
                 if (const std::optional<int> type = StoredValues::toInteger(value);
                     type && *type >= -1 && *type <= 3 && *type < selector->count())
                     selector->setCurrentIndex(*type);
             }},
        {.key = "mStretchImage",
         .resetValue = "0",
         .loadStep = 6,
         .fileKey = "Stretch",
         .fileDefault = "0",
         .fileStep = 7,
         .read =
             [](StartUp &s, const QString &stored) {
                 applyCheckMark(s.mControls.viewer(), &frmPreview::setStretchChecked, stored);
             },
         .write = [](StartUp &s) { return checkMarkText(s.mControls.viewer().stretchChecked()); }},
        // Retain Shape is a choice within Stretch: without Stretch the store's mark is
        // left alone and the entry switched off. The file's mark is taken as it is.
        {.key = "mRetainShape",
         .resetValue = "0",
         .loadStep = 10,
         .fileKey = "RetainShape",
         .fileDefault = "0",
         .fileStep = 8,
         .read =
             [](StartUp &s, const QString &stored) {
                 frmPreview &view = s.mControls.viewer();
                 if (view.stretchChecked()) {
                     view.DoStretch();
                     applyCheckMark(view, &frmPreview::setRetainShapeChecked, stored);
                 } else {
                     view.setRetainShapeEnabled(false);
                 }
             },
         .write =
             [](StartUp &s) { return checkMarkText(s.mControls.viewer().retainShapeChecked()); },
         .readFile =
             [](StartUp &s, const QString &value) {
                 applyCheckMark(s.mControls.viewer(), &frmPreview::setRetainShapeChecked, value);
             }},
        {.key = "mRepeat",
         .resetValue = "0",
         .loadStep = 7,
         .fileKey = "Repeat",
         .fileDefault = "1",
         .fileStep = 3,
         .read = [](StartUp &s,
                    const QString &stored) { applyCheckBox(s.mControls.chkRepeat, stored); },
         .write = [](StartUp &s) { return checkBoxText(*s.mControls.chkRepeat); }},
        {.key = "mRandom",
         .resetValue = "0",
         .loadStep = 9,
         .fileKey = "Random",
         .fileDefault = "1",
         .fileStep = 4,
         .read = [](StartUp &s,
                    const QString &stored) { applyCheckBox(s.mControls.chkRandom, stored); },
         .write = [](StartUp &s) { return checkBoxText(*s.mControls.chkRandom); }},
        {.key = "mSaveSettings",
         .resetValue = "0",
         .loadStep = 8,
         .read = [](StartUp &s,
                    const QString &stored) { applyCheckBox(s.mControls.chkSaveSettings, stored); },
         .write = [](StartUp &s) { return checkBoxText(*s.mControls.chkSaveSettings); }},
        // Stored even when it is no picture; the background then stays as it was.
        {.use = Use::Background, .key = "mBgd"},
        {.use = Use::AdvertBaseUrl, .group = "Advert", .key = "BaseUrl"},
    };
    static_assert(StoredSetting::isOrder(rows, &StoredSetting::loadStep));
    static_assert(StoredSetting::isOrder(rows, &StoredSetting::fileStep));
    static_assert(StoredSetting::isWellFormed(rows));
    return rows;
}

namespace {

/** The rows of `rows` that have a `step`, in the order of their steps. */
template <typename Row>
std::vector<const Row *> inStepOrder(std::span<const Row> rows, int Row::*step)
{
    std::vector<const Row *> ordered;
    for (const Row &row : rows) {
        if (row.*step)
            ordered.push_back(&row);
    }
    std::ranges::sort(ordered, {}, [step](const Row *row) { return row->*step; });
    return ordered;
}

} // namespace

QString StartUp::storedValue(Use use, SettingsStore::Reader &store)
{
    const std::span<const StoredSetting> rows = storedSettings();
    const auto row = std::ranges::find(rows, use, &StoredSetting::use);
    return store.value(QLatin1String(row->group), QLatin1String(row->key));
}

std::optional<StartUp::Slide> StartUp::firstNamedSlide(const QStringList &paths,
                                                       const QScreen *screen)
{
    if (paths.isEmpty() || !screen || !QFileInfo(paths.first()).isFile() ||
        Files::check(IniFile::iniFilePath(), Files::NoHidden))
        return std::nullopt;
    SettingsStore::Reader store;
    if (store.value(QLatin1String(kSettingsGroup), QLatin1String(kFolderKey)).isEmpty())
        return std::nullopt;
    const auto stored = [&store](std::string_view key) {
        const std::span<const StoredSetting> rows = storedSettings();
        const auto row = std::ranges::find(
            rows, key, [](const StoredSetting &r) { return std::string_view(r.key ? r.key : ""); });
        if (row == rows.end())
            return QString();
        return store.value(QLatin1String(row->group), QLatin1String(row->key));
    };
    if (StoredValues::toCheckBoxValue(stored("mFullScreen")) != 1 ||
        StoredValues::toCheckBoxValue(stored("mRandom")) == 1)
        return std::nullopt;
    // As the rows apply them: Retain Shape only within Stretch, and both off unless stored.
    Fitting::View view;
    view.stretchChecked = StoredValues::toBoolean(stored("mStretchImage")).value_or(false);
    view.retainShapeChecked =
        view.stretchChecked && StoredValues::toBoolean(stored("mRetainShape")).value_or(false);
    // Full screen on it, the element over the whole window as Stretch puts it.
    const QRect whole = screen->geometry();
    view.windowWidth = view.width = float(whole.width());
    view.windowHeight = view.height = float(whole.height());
    view.devicePixelRatio = screen->devicePixelRatio();
    return Slide{paths.first(), view};
}

bool StartUp::LoadStoredSettings()
{
    SettingsStore::Reader &store = *mStartUpStore;
    if (store.value(QLatin1String(kSettingsGroup), QLatin1String(kFolderKey)).isEmpty())
        return false;
    // Each value that does not convert is passed over; the ones after it still apply.
    for (const StoredSetting *row : inStepOrder(storedSettings(), &StoredSetting::loadStep))
        row->read(*this, store.value(QLatin1String(row->group), QLatin1String(row->key)));
    return true;
}

void StartUp::SaveStoredSettings()
{
    const bool current = mControls.chkSaveSettings->value() == 1;
    // All options, then one write: each key flushed on its own read and wrote a large
    // store once per key. A store that cannot be written keeps what it had.
    QList<std::pair<QString, QString>> values;
    for (const StoredSetting &row : storedSettings()) {
        if (row.use == Use::Option)
            values.append({QLatin1String(row.key),
                           current ? row.write(*this) : QString::fromLatin1(row.resetValue)});
    }
    static_cast<void>(SettingsStore::SaveSettings(QLatin1String(kSettingsGroup), values));
}

void StartUp::LoadIniSettings(const QByteArray &content)
{
    const QString section = IniFile::iniSection();
    for (const StoredSetting *row : inStepOrder(storedSettings(), &StoredSetting::fileStep)) {
        const QString value = IniFile::lookup(content, section, QLatin1String(row->fileKey),
                                              QLatin1String(row->fileDefault));
        (row->readFile ? row->readFile : row->read)(*this, value);
    }
    // The medium's own folder is scanned even when it is a drive root.
    mHost.listFolderTree(mHost.listedFolder());
}

void StartUp::LoadViewerBackground()
{
    SettingsStore::Reader afresh;
    const QString path = storedValue(Use::Background, mStartUpStore ? *mStartUpStore : afresh);
    if (path.isEmpty())
        return;
    // A file that no longer loads keeps the background the viewer has.
    if (const Result<QImage> picture = loadBackgroundPicture(path))
        mControls.viewer().setBackground(*picture);
}

void StartUp::backgroundChosen(const QString &path)
{
    const auto row = std::ranges::find(storedSettings(), Use::Background, &StoredSetting::use);
    // A store that cannot be written keeps the old one, as every key shut-down cannot write.
    static_cast<void>(
        SettingsStore::SaveSettings(QLatin1String(row->group), {{QLatin1String(row->key), path}}));
    LoadViewerBackground();
}

QString StartUp::storedAdvertBaseUrl()
{
    SettingsStore::Reader store;
    return storedValue(Use::AdvertBaseUrl, store);
}
