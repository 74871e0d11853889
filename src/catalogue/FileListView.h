// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QListView>

class FileList;

/**
 * File1: the picture list with multiple selection (extended: click, Ctrl and Shift).
 * The selection flags are the view's; the show reads them row by row.
 */
class FileListView : public QListView
{
    Q_OBJECT
public:
    explicit FileListView(FileList *model, QWidget *parent = nullptr);

    FileList *fileList() const { return mModel; }

    bool isSelected(qsizetype row) const;
    void setSelected(qsizetype row, bool selected);
    /** Selects every item in one operation (the current item does not move). */
    void selectAllItems();
    /** The item with the focus frame, or -1. */
    qsizetype currentRow() const;
    void setCurrentRow(qsizetype row);

signals:
    /** A key went down on the list, before the list's own handling. */
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    /** The current item changed (by mouse or keyboard). */
    void currentRowChanged(qsizetype row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    FileList *mModel;
};
