// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QObject>

class QWindow;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_surface;
struct zwp_idle_inhibit_manager_v1;
struct zwp_idle_inhibitor_v1;

/**
 * Keeps a Wayland session from going idle while held: an idle inhibitor of the
 * compositor's (zwp_idle_inhibit_manager_v1) on the surface of each of the program's
 * windows on screen, the viewer's above all. The compositor honours one only while its
 * surface is visible, so a window shown, hidden or moved meanwhile is followed.
 */
class WaylandIdleInhibitor : public QObject
{
    Q_OBJECT
public:
    /** One for `parent`, or null where the program does not run as a Wayland client. */
    static WaylandIdleInhibitor *create(QObject *parent);
    ~WaylandIdleInhibitor() override;

    void setHeld(bool held);
    /** Whether the compositor offers the protocol (known from the first hold on). */
    bool isOffered() const { return mManager != nullptr; }
    /** How many surfaces carry an inhibitor now. */
    qsizetype inhibitorCount() const { return mInhibitors.size(); }
    /** Lets go of everything Wayland while the connection is still there. */
    void shutDown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WaylandIdleInhibitor(wl_display *display, QObject *parent);
    /** Binds the manager the first time it is needed; false where it is not offered. */
    bool bindManager();
    /** Puts an inhibitor on `window`'s surface, or takes it off, as the window stands now. */
    void follow(QWindow *window);
    void drop(QWindow *window);
    void windowGone(QObject *window);
    void dropAll();

    static void registryGlobal(void *data, wl_registry *registry, uint32_t name,
                               const char *interface, uint32_t version);
    static void registryGlobalRemove(void *data, wl_registry *registry, uint32_t name);

    struct Inhibitor
    {
        wl_surface *surface = nullptr;
        zwp_idle_inhibitor_v1 *inhibitor = nullptr;
    };

    wl_display *mDisplay = nullptr;
    wl_event_queue *mQueue = nullptr;
    zwp_idle_inhibit_manager_v1 *mManager = nullptr;
    bool mAskedRegistry = false;
    bool mHeld = false;
    bool mShutDown = false;
    QHash<QWindow *, Inhibitor> mInhibitors;
};
