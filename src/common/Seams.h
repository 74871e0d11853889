// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

/** Message box styles, combinable: buttons + icon + default button. */
namespace MsgStyle {
enum : int {
    OkOnly = 0,
    YesNo = 4,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton2 = 256,
};
}

/** Answers of a message box. */
namespace MsgAnswer {
enum : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
}

/**
 * Everything that blocks on the user or leaves the process goes through here, so
 * that tests can answer it without a display. The defaults are the real Qt calls;
 * a test swaps in fakes (see ScopedSeams) and gets the real ones back afterwards.
 */
struct Seams
{
    /** Shows a message box; returns one of MsgAnswer. */
    std::function<int(const QString &text, int style, const QString &title)> showMessage;
    /** Asks for a folder; returns the chosen path, or an empty string when cancelled. */
    std::function<QString(QWidget *owner, const QString &title)> chooseFolder;
    /**
     * Asks for an existing file. `filters` are Qt filter strings ("Label (*.jpg *.bmp)");
     * `selectedFilter` is the one offered first on entry and the one picked on return.
     * Returns the chosen path, or an empty string when cancelled.
     */
    std::function<QString(const QString &title, const QStringList &filters, const QString &proposed,
                          QString *selectedFilter)>
        chooseOpenFile;
    /** Hands a URL (or a local file path) to the desktop; true when it was accepted. */
    std::function<bool(const QString &target)> openWithShell;
    /** Lets pending window events run. */
    std::function<void()> processEvents;
    /** False only when the machine is definitely off line. */
    std::function<bool()> isOnline;
    /** Ends the program at once: every window goes and the event loop returns `code`. */
    std::function<void(int code)> endProgram;
    /**
     * Holds off the screen saver and display power saving (true) or lets them act
     * again (false). Called only when that changes; never blocks on the desktop.
     */
    std::function<void(bool awake)> keepScreenAwake;

    static Seams real();
};

/** The real message box for showMessage's arguments, set up but not shown. */
std::unique_ptr<QMessageBox> buildMessageBox(const QString &text, int style, const QString &title);

/** The seams in force. */
Seams &seams();

/** Puts other seams in force for its lifetime (tests). */
class ScopedSeams
{
public:
    explicit ScopedSeams(Seams replacement);
    ~ScopedSeams();
    ScopedSeams(const ScopedSeams &) = delete;
    ScopedSeams &operator=(const ScopedSeams &) = delete;

private:
    Seams mSaved;
};
