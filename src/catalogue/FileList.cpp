#include "catalogue/FileList.h"

FileList::FileList(QObject *parent) : QAbstractListModel(parent) {}

void FileList::clear()
{
    if (mNames.empty() && mFolders.empty())
        return;
    beginResetModel();
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
    const auto first = int(mNames.size());
    beginInsertRows(QModelIndex(), first, first + int(names.size()) - 1);
    if (mFolders.empty() || mFolders.back() != folder)
        mFolders.push_back(folder);
    const auto folderIndex = std::uint32_t(mFolders.size() - 1);
    mNames.reserve(mNames.size() + size_t(names.size()));
    for (const QString &name : names) {
        mNames.push_back(name);
        mFolderOf.push_back(folderIndex);
    }
    endInsertRows();
}

int FileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mNames.size());
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(mNames.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return mNames[size_t(index.row())];
    if (role == Qt::ToolTipRole)
        return fullPath(index.row());
    return QVariant();
}
