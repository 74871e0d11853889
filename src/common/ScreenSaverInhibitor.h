#pragma once

#include <QObject>

#ifdef VIVREL_HAVE_DBUS
#include <QList>
#include <QPointer>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;
#endif

/**
 * Asks the desktop to keep the screen on: the freedesktop screen saver service on the
 * session bus (Linux), or the thread's execution state (Windows). Nothing here waits
 * for the desktop while the program runs, and where no desktop service answers it
 * quietly does nothing. Callers say what they want; this keeps at most one request
 * standing at the desktop.
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
     * Lets go and waits until the desktop has answered everything sent to it, each
     * request bounded by a few seconds; for the end of the program, when a message
     * still queued would otherwise be lost with the process.
     */
    void finish();

    /** The one the program uses: made on first use, gone with the application; null before it. */
    static ScreenSaverInhibitor *instance();

private:
#ifdef VIVREL_HAVE_DBUS
    /** Asks for a hold at object path number `path`; `fallBack` tries the other path on a miss. */
    void sendInhibit(int path, bool fallBack);
    void inhibitAnswered(QDBusPendingCallWatcher *call, int path, bool fallBack);
    void sendUnInhibit(int path, uint cookie);

    /** The Inhibit call on its way, if any; at most one at a time. */
    QPointer<QDBusPendingCallWatcher> mInhibitCall;
    /** The desktop's cookie for the hold in force, and the object path that gave it. */
    std::optional<uint> mCookie;
    int mCookiePath = 0;
    /** The object path that answered last; tried first next time. */
    int mPath = 0;
    QList<QPointer<QDBusPendingCallWatcher>> mUnInhibitCalls;
#endif
    bool mWanted = false;
};
