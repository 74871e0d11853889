#include "common/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QPointer>

#ifdef VIVREL_HAVE_DBUS
#include "common/Module1.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"
#endif

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject *parent) : QObject(parent) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    // Going with the application (which said goodbye at aboutToQuit where it ran its
    // loop): the bus may be half torn down, and the desktop drops a hold whose holder
    // leaves the bus anyway.
    if (!QCoreApplication::closingDown())
        finish();
}

ScreenSaverInhibitor *ScreenSaverInhibitor::instance()
{
    static QPointer<ScreenSaverInhibitor> current;
    QCoreApplication *app = QCoreApplication::instance();
    if (!current && app) {
        current = new ScreenSaverInhibitor(app);
        // The event loop has returned: say goodbye to the desktop while the bus is
        // still there, rather than from the application's destructor.
        connect(app, &QCoreApplication::aboutToQuit, current.data(), &ScreenSaverInhibitor::finish);
    }
    return current.data();
}

#ifdef VIVREL_HAVE_DBUS

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
/** Where desktops put the service's object: most at the first, some only at the second. */
const QString kPaths[2] = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                           QStringLiteral("/ScreenSaver")};
/** A desktop that has not answered by then is taken as gone. */
constexpr int kCallTimeoutMs = 3000;

QDBusMessage screenSaverCall(int path, const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPaths[path], kInterface, method);
}

/** The service is there, but not at that object path or not with that method. */
bool isWrongPlace(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::UnknownObject:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
        return true;
    default:
        return false;
    }
}

} // namespace

void ScreenSaverInhibitor::setHeld(bool held)
{
    if (held == mWanted)
        return;
    mWanted = held;
    if (held) {
        // A call still on its way settles the matter when it is answered.
        if (!mInhibitCall && !mCookie)
            sendInhibit(mPath, true);
    } else if (mCookie) {
        sendUnInhibit(mCookiePath, *mCookie);
        mCookie.reset();
    }
}

bool ScreenSaverInhibitor::isGranted() const
{
    return mCookie.has_value();
}

void ScreenSaverInhibitor::sendInhibit(int path, bool fallBack)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return; // no session bus: the screen is the desktop's business alone
    QDBusMessage call = screenSaverCall(path, QStringLiteral("Inhibit"));
    call << Module1::programTitle() << tr("Playing a slide show");
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    mInhibitCall = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, path, fallBack](QDBusPendingCallWatcher *answered) {
                inhibitAnswered(answered, path, fallBack);
            });
}

void ScreenSaverInhibitor::inhibitAnswered(QDBusPendingCallWatcher *call, int path, bool fallBack)
{
    call->deleteLater();
    if (call != mInhibitCall)
        return;
    mInhibitCall.clear();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        if (fallBack && mWanted && isWrongPlace(reply.error()))
            sendInhibit(1 - path, false);
        // Otherwise there is no screen saver service to ask: the show runs as it is.
        return;
    }
    mPath = path;
    if (mWanted) {
        mCookie = reply.value();
        mCookiePath = path;
    } else {
        // Let go while the call was on its way: hand the hold straight back.
        sendUnInhibit(path, reply.value());
    }
}

void ScreenSaverInhibitor::sendUnInhibit(int path, uint cookie)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return; // the bus went, and the desktop dropped our hold with it
    QDBusMessage call = screenSaverCall(path, QStringLiteral("UnInhibit"));
    call << cookie;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    mUnInhibitCalls.append(watcher);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answered) {
                mUnInhibitCalls.removeAll(answered);
                answered->deleteLater();
            });
}

void ScreenSaverInhibitor::finish()
{
    setHeld(false);
    // Waiting delivers the answer at once, so a hold granted meanwhile is handed back
    // before the UnInhibit calls are waited for.
    if (mInhibitCall)
        mInhibitCall->waitForFinished();
    const QList<QPointer<QDBusPendingCallWatcher>> sent = mUnInhibitCalls;
    for (const QPointer<QDBusPendingCallWatcher> &call : sent) {
        if (call)
            call->waitForFinished();
    }
}

#elif defined(Q_OS_WIN)

// The execution state belongs to the thread that sets it: the user-interface thread,
// where every caller of this runs.
void ScreenSaverInhibitor::setHeld(bool held)
{
    if (held == mWanted)
        return;
    mWanted = held;
    SetThreadExecutionState(held ? (ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED)
                                 : ES_CONTINUOUS);
}

bool ScreenSaverInhibitor::isGranted() const
{
    // The call answers with the thread's previous state, which cannot tell a refusal
    // from a thread that had asked for nothing before; the system takes it at once.
    return mWanted;
}

void ScreenSaverInhibitor::finish()
{
    setHeld(false);
}

#else

// No desktop interface known here: the screen is the desktop's business.
void ScreenSaverInhibitor::setHeld(bool held)
{
    mWanted = held;
}

bool ScreenSaverInhibitor::isGranted() const
{
    return false;
}

void ScreenSaverInhibitor::finish()
{
    mWanted = false;
}

#endif
