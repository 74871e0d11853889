// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "viewer/OpenFileDlg.h"

#include "common/Seams.h"

namespace OpenFileDlg {

QString mDlgTitle;
QString mDlgFilter;
QString mDlgFileName;

namespace {

// Outlives each opening, so the next one starts on the filter picked last.
qsizetype mFilterIndex = 0;

} // namespace

QStringList chooserFilters(const QString &nulSeparated)
{
    QStringList filters;
    const QStringList parts = nulSeparated.split(QChar(0));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &label = parts.at(i);
        if (label.isEmpty())
            break; // the NUL that ends the list
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file; as a wildcard it would pass only names with a dot.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        filters << label + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

void ShowOpenDialog()
{
    const QStringList filters = chooserFilters(mDlgFilter);
    QString selected = filters.value(mFilterIndex, filters.value(0));
    const QString chosen = seams().chooseOpenFile(mDlgTitle, filters, mDlgFileName, &selected);
    const qsizetype picked = filters.indexOf(selected);
    if (picked >= 0)
        mFilterIndex = picked;
    mDlgFileName = chosen;
}

void resetForTesting()
{
    mFilterIndex = 0;
}

} // namespace OpenFileDlg
