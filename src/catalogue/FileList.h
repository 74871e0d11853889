// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

/**
 * The picture list: the bare file names shown in File1, each paired with its folder
 * (mFileDir), which ends in a separator. The full path of item i is folder(i)
 * followed directly by text(i). Folders are kept once each and shared by their items,
 * so a list of 200,000 pictures costs a name and an index per item.
 */
class FileList : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit FileList(QObject *parent = nullptr);

    qsizetype count() const { return qsizetype(mNames.size()); }
    const QString &text(qsizetype i) const { return mNames[size_t(i)]; }
    /** mFileDir(i): the folder of item i, ending in a separator. */
    const QString &folder(qsizetype i) const { return mFolders[mFolderOf[size_t(i)]]; }
    QString fullPath(qsizetype i) const { return folder(i) + text(i); }

    /** Empties the list. */
    void clear();
    /** Appends the pictures of one folder, in the given order. */
    void appendFolder(const QString &folder, const QStringList &names);

    /**
     * While a batch is open, appended items are kept but the views hear of them only
     * at flush() or when the batch closes: one insertion instead of one per folder.
     */
    void beginBatch();
    void flush();
    void endBatch();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    std::vector<QString> mNames;
    std::vector<std::uint32_t> mFolderOf;
    std::vector<QString> mFolders;
    qsizetype mAnnounced = 0; // rows the views know of
    int mBatchDepth = 0;
};
