// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/FileList.h"

#include "common/Paths.h"

FileList::FileList(QObject *parent) : QAbstractListModel(parent) {}

void FileList::clear()
{
    if (mNames.empty() && mFolders.empty())
        return;
    beginResetModel();
    mAnnounced = 0;
    mNames.clear();
    mNames.shrink_to_fit();
    mFolderOf.clear();
    mFolderOf.shrink_to_fit();
    mFolders.clear();
    endResetModel();
}

void FileList::appendFolder(const QString &folder, const QStringList &names)
{
    if (names.isEmpty())
        return;
    if (mFolders.empty() || mFolders.back() != folder)
        mFolders.push_back(folder);
    const auto folderIndex = std::uint32_t(mFolders.size() - 1);
    for (const QString &name : names) {
        mNames.push_back(name);
        mFolderOf.push_back(folderIndex);
    }
    if (mBatchDepth == 0)
        flush();
}

void FileList::beginBatch()
{
    ++mBatchDepth;
}

void FileList::endBatch()
{
    if (mBatchDepth > 0 && --mBatchDepth == 0)
        flush();
}

void FileList::flush()
{
    const auto total = qsizetype(mNames.size());
    if (total == mAnnounced)
        return;
    // The rows are stored already; rowCount() reports them from endInsertRows() on.
    beginInsertRows(QModelIndex(), int(mAnnounced), int(total) - 1);
    mAnnounced = total;
    endInsertRows();
}

int FileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mAnnounced);
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(mAnnounced))
        return QVariant();
    // A name keeps the bytes it was found with; the user reads them as characters.
    if (role == Qt::DisplayRole)
        return Paths::readable(mNames[size_t(index.row())]);
    if (role == Qt::ToolTipRole)
        return Paths::readable(fullPath(index.row()));
    return QVariant();
}
