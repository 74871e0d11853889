// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeSeams.h"

#include <QCoreApplication>

FakeSeams::FakeSeams()
{
    Seams fake;
    fake.showMessage = [this](const QString &text, int style, const QString &title) {
        messages.append({text, style, title});
        if (!messageAnswers.empty()) {
            const int answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        return (style & 0x7) == MsgStyle::YesNo ? int(MsgAnswer::Yes) : int(MsgAnswer::Ok);
    };
    fake.chooseFolder = [this](QWidget *, const QString &title) {
        folderTitles.append(title);
        if (folderAnswers.empty())
            return QString();
        QString answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    };
    fake.chooseOpenFile = [this](const QString &, const QStringList &, const QString &,
                                 QString *selectedFilter) {
        offeredFilters.append(selectedFilter ? *selectedFilter : QString());
        if (fileAnswers.empty())
            return QString();
        FileAnswer answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (selectedFilter && !answer.filter.isEmpty())
            *selectedFilter = answer.filter;
        return answer.path;
    };
    fake.openWithShell = [this](const QString &target) {
        shellTargets.append(target);
        return shellResult;
    };
    fake.processEvents = [this] {
        ++processEventsCalls;
        QCoreApplication::processEvents();
    };
    fake.isOnline = [this] { return online; };
    fake.endProgram = [this](int code) { endProgramCalls.append(code); };
    fake.keepScreenAwake = [this](bool awake) { screenAwakeCalls.append(awake); };
    mScope = std::make_unique<ScopedSeams>(std::move(fake));
}

FakeSeams::~FakeSeams() = default;
