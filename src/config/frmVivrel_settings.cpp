// The main window's options in the per-user store: read at start-up, written at
// shut-down, and the viewer's background picture.

#include "chrome/frmVivrel.h"
#include "common/TriCheckBox.h"
#include "config/Background.h"
#include "config/SettingsStore.h"
#include "config/StoredControls.h"
#include "config/StoredValues.h"
#include "viewer/frmPreview.h"

#include <QComboBox>
#include <QLineEdit>

using SettingsStore::GetSetting;
using SettingsStore::SaveSetting;

using StoredControls::applyCheckBox;
using StoredControls::applyCheckMark;

bool frmVivrel::LoadStoredSettings()
{
    if (GetSetting(QStringLiteral("mPath")).isEmpty())
        return false;
    mDirPath = GetSetting(QStringLiteral("mPath"));
    Text1->setText(GetSetting(QStringLiteral("mInterval")));
    applyCheckBox(chkFullScreen, GetSetting(QStringLiteral("mFullScreen")));
    // A changed value reaches the preview behaviour through the box's own signal.
    applyCheckBox(chkPreview, GetSetting(QStringLiteral("mPreview")));

    // The selector takes a text only as one of its items; the scan works from the item.
    const int item = cmbFileType->findText(GetSetting(QStringLiteral("mFileType")),
                                           Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (item >= 0)
        cmbFileType->setCurrentIndex(item);

    frmPreview &view = viewer();
    applyCheckMark(view, &frmPreview::setStretchChecked,
                   GetSetting(QStringLiteral("mStretchImage")));
    applyCheckBox(chkRepeat, GetSetting(QStringLiteral("mRepeat")));
    applyCheckBox(chkSaveSettings, GetSetting(QStringLiteral("mSaveSettings")));
    applyCheckBox(chkRandom, GetSetting(QStringLiteral("mRandom")));

    if (view.stretchChecked()) {
        view.DoStretch();
        applyCheckMark(view, &frmPreview::setRetainShapeChecked,
                       GetSetting(QStringLiteral("mRetainShape")));
    } else {
        view.setRetainShapeEnabled(false);
    }
    return true;
}

void frmVivrel::SaveStoredSettings()
{
    const QStringList &keys = StoredValues::savedKeys();
    QStringList values;
    if (chkSaveSettings->value() == 1) {
        frmPreview &view = viewer();
        values = {
            Text1->text(),
            mDirPath,
            QString::number(chkFullScreen->value()),
            QString::number(chkPreview->value()),
            cmbFileType->currentText(),
            StoredValues::fromBoolean(view.stretchChecked()),
            StoredValues::fromBoolean(view.retainShapeChecked()),
            QString::number(chkRepeat->value()),
            QString::number(chkRandom->value()),
            QString::number(chkSaveSettings->value()),
        };
    } else {
        values = StoredValues::resetValues();
    }
    // A key that cannot be written is left behind; the others are still worth keeping.
    for (qsizetype i = 0; i < keys.size(); ++i)
        SaveSetting(keys[i], values[i]);
}

void frmVivrel::LoadViewerBackground()
{
    const QString path = GetSetting(QStringLiteral("mBgd"));
    if (path.isEmpty())
        return;
    // A file that no longer loads keeps the background the viewer has.
    const QImage picture = loadBackgroundPicture(path);
    if (!picture.isNull())
        viewer().setBackground(picture);
}
