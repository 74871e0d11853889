// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Seams.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

/**
 * Seams that record every call and answer from a script, so no test opens a dialog,
 * a browser or a mail program. Put in force for the lifetime of the object.
 */
class FakeSeams
{
public:
    struct Message
    {
        QString text;
        int style;
        QString title;
    };

    FakeSeams();
    ~FakeSeams();

    QList<Message> messages;
    QStringList shellTargets;
    QStringList folderTitles;
    int processEventsCalls = 0;
    /** Exit codes the program asked to end with; the test process goes on. */
    QList<int> endProgramCalls;
    /** Every keepScreenAwake call in order: true took a hold, false gave it back. */
    QList<bool> screenAwakeCalls;

    /** Answers for the next message boxes; Ok (or Yes for Yes/No boxes) when none is left. */
    std::deque<int> messageAnswers;
    /** Answers for the next folder choosers; empty (cancelled) when none is left. */
    std::deque<QString> folderAnswers;
    /** Answers for the next open-file choosers, with the filter picked. */
    struct FileAnswer
    {
        QString path;
        QString filter;
    };
    std::deque<FileAnswer> fileAnswers;
    /** The filter offered first at each open-file chooser. */
    QStringList offeredFilters;
    bool online = false;
    bool shellResult = true;

private:
    std::unique_ptr<ScopedSeams> mScope;
};
