// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#ifdef VIVREL_HAVE_DBUS
#include <QList>
#include <QPointer>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;
#endif

class WaylandIdleInhibitor;

/**
 * Asks the desktop to keep the screen on. On Linux: the screen saver services on the
 * session bus (the freedesktop one, Xfce's and MATE's own names) and, where none of
 * them is there (a sandbox, a desktop that offers only the portal), the desktop
 * portal's Inhibit; on a Wayland compositor that offers it, also the idle-inhibit
 * protocol on the program's windows. On Windows, the thread's execution state.
 * Nothing here waits for the desktop while the program runs (not even for the first
 * connection to the bus), and where nothing answers it quietly does nothing. Callers
 * say what they want; this keeps at most one hold standing at the desktop, and hands
 * back at once any hold the desktop grants after the program stopped wanting it.
 */
class ScreenSaverInhibitor : public QObject
{
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(QObject *parent = nullptr);
    /** Lets go, as finish() does, unless the application is already closing down. */
    ~ScreenSaverInhibitor() override;

    /** Screen kept on (true) or left to the desktop (false); the same value again does nothing. */
    void setHeld(bool held);
    bool isHeld() const { return mWanted; }
    /** Whether the desktop has granted the hold (not while it is still being asked). */
    bool isGranted() const;

    /**
     * How long a desktop service may take to answer before the next one is asked, in
     * milliseconds. Its answer is still taken when it comes, and handed straight back
     * when it is not wanted any more.
     */
    void setPatience(int milliseconds);

    /**
     * Lets go and waits until the desktop has answered everything sent to it, for a
     * couple of seconds at most; for the end of the program, when a message still
     * queued would otherwise be lost with the process.
     */
    void finish();

    /** The one the program uses: made on first use, gone with the application; null before it. */
    static ScreenSaverInhibitor *instance();

private:
#ifdef VIVREL_HAVE_DBUS
    /** A hold the desktop granted: the service that gave it and its token for the release. */
    struct Hold
    {
        int service = 0;
        uint cookie = 0;
        QString request; ///< the portal's request object
    };

    /** Asks for a hold unless one stands or a request is awaited; connects to the bus first. */
    void ask();
    /** Connects to the session bus off the user-interface thread, then asks if still wanted. */
    void connectToBus();
    /** Asks `service`; `left` services (this one included) remain to be tried after a miss. */
    void sendInhibit(int service, int left);
    void inhibitAnswered(QDBusPendingCallWatcher *call, int service, int left);
    void patienceLost(QDBusPendingCallWatcher *call, int service, int left);
    void release(const Hold &hold);
    /** Keeps `call` until it is answered, for finish(). */
    void track(QDBusPendingCallWatcher *call);
    bool hasCallsOut() const;

    enum class Bus { Unknown, Connecting, Connected, Missing };
    Bus mBus = Bus::Unknown;
    /** The Inhibit call answered within patience, if any; at most one at a time. */
    QPointer<QDBusPendingCallWatcher> mAsking;
    /** Every call not answered yet, late Inhibit calls and releases included. */
    QList<QPointer<QDBusPendingCallWatcher>> mCallsOut;
    std::optional<Hold> mHold;
    /** The service that granted last; asked first next time. */
    int mFirst = 0;
    int mPatienceMs = 3000;
#endif
#ifdef VIVREL_HAVE_WAYLAND
    WaylandIdleInhibitor *mWayland = nullptr;
#endif
    bool mWanted = false;
};
