// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/FileListView.h"

#include "catalogue/FileList.h"

#include <QItemSelectionModel>
#include <QKeyEvent>

FileListView::FileListView(FileList *model, QWidget *parent) : QListView(parent), mModel(model)
{
    setModel(model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // keeps 200,000 rows cheap to lay out
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
}

bool FileListView::isSelected(qsizetype row) const
{
    return selectionModel()->isRowSelected(int(row), QModelIndex());
}

void FileListView::setSelected(qsizetype row, bool selected)
{
    const QModelIndex index = mModel->index(int(row));
    if (!index.isValid())
        return;
    selectionModel()->select(index, selected ? QItemSelectionModel::Select
                                             : QItemSelectionModel::Deselect);
}

void FileListView::selectAllItems()
{
    const int n = mModel->rowCount();
    if (n == 0)
        return;
    const QItemSelection all(mModel->index(0), mModel->index(n - 1));
    selectionModel()->select(all, QItemSelectionModel::Select);
}

qsizetype FileListView::currentRow() const
{
    const QModelIndex index = selectionModel()->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void FileListView::setCurrentRow(qsizetype row)
{
    selectionModel()->setCurrentIndex(mModel->index(int(row)), QItemSelectionModel::NoUpdate);
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key(), event->modifiers());
    QListView::keyPressEvent(event);
}
