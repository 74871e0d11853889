// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Controls.h"
#include "FakeSeams.h"

#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "viewer/frmPreview.h"

#include <QAbstractButton>
#include <QAction>
#include <QRectF>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

/** How a ShowFixture draws its pictures: picture i is `base` + 10 i pixels wide, `height` high. */
struct PictureLook
{
    int base = 40;
    int height = 30;
};

/**
 * A main window as the program starts it (Form_Load, on a settings store of its own that
 * holds the window's own defaults), listing a fresh folder of test pictures through the
 * folder button, with the seams faked. It is worked as a user works it: buttons clicked,
 * keys pressed in the viewer, the viewer's menu entries, and the show's timer ticking.
 */
struct ShowFixture
{
    /**
     * `names` are written in the folder, in that order also their place in the list (the
     * folder button lists them in natural order): a name with "bad" in it is not a picture,
     * one with "gone" is deleted once listed, any other is picture i of `pictures`.
     */
    explicit ShowFixture(const QStringList &names = pictureNames(5), PictureLook pictures = {});
    ~ShowFixture();
    ShowFixture(const ShowFixture &) = delete;
    ShowFixture &operator=(const ShowFixture &) = delete;

    /** p0.jpg, p1.jpg, ... */
    static QStringList pictureNames(int count);

    /** Item i's full path, as the list has it. */
    QString path(int i) const;
    /** The viewer (made on first use) and its controls. */
    frmPreview &viewer() { return w.viewer(); }
    ViewerControls v() { return ViewerControls(w.viewer()); }

    /** The picture on show in the pane or the viewer by its width, -1 when none. */
    // Slides are decoded off the window thread: each look waits for the one asked for.
    int paneShows() const { return settle(), shown(c.imgPreview); }
    int viewerShows() { return settle(), shown(v().imgPreview); }
    /** The pane as it is, the slide asked for there or not. */
    int paneNow() const { return shown(c.imgPreview); }
    int shown(const PictureElement *element) const;
    void settle() const { waitForSlide(w); }
    /** Where the viewer's picture element is, once the slide asked for is there. */
    QRectF element();

    // What a user does.
    /** Only the items `indices` selected, as clicks with Ctrl held select them. */
    void select(const QList<int> &indices);
    // QAbstractButton::click(), not a mouse click: a window not shown takes no mouse.
    static void click(QAbstractButton *button) { button->click(); }
    void start() { click(c.cmdStart); }
    /** The resume button: pauses a running show, resumes a paused one. */
    void pauseOrResume() { click(c.cmdResume); }
    void selectAll() { click(c.cmdSelectAll); }
    /** The folder button with `folder` chosen in its dialog; false when it said it failed. */
    bool listFolder(const QString &folder);
    /** Ticks or clears a box, as a click on it does. */
    static void tickBox(TriCheckBox *box, bool ticked);
    void typeInterval(const QString &seconds);
    /**
     * The interval typed into its box in the shown window and Return pressed there, which
     * leaves the box; returns once the box was checked. False when the window never came up.
     */
    [[nodiscard]] bool enterInterval(const QString &seconds);
    /** A key pressed in the viewer. */
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(&viewer(), key, mods);
    }
    static void trigger(QAction *entry) { entry->trigger(); }
    /** One tick of the show's timer, as it comes while the show runs; none while it stops. */
    void tick()
    {
        if (c.Timer1->isEnabled())
            emit c.Timer1->timeout();
    }
    /** The window shown and active, as it is for a user's keys. */
    [[nodiscard]] bool shownActive();

    QTemporaryDir dir;
    QTemporaryDir store;
    FakeSeams fake;
    /** The window; a test may let it go (`window.reset()`), and use `w` and `c` no more. */
    std::unique_ptr<frmVivrel> window = std::make_unique<frmVivrel>();
    frmVivrel &w = *window;
    const MainControls c{w};
    const PictureLook look;
};

/**
 * Whether message box `index` (the last one when -1) said `text` with `style` (MsgStyle
 * flags) under `title`; a difference is logged. For QVERIFY.
 */
[[nodiscard]] bool expectMessage(const FakeSeams &seams, const QString &text, int style,
                                 const QString &title, qsizetype index = -1);
