// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QPointer>

#ifdef VIVREL_HAVE_DBUS
#include "common/Module1.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <limits>
#include <memory>
#endif

#ifdef VIVREL_HAVE_WAYLAND
#include "common/WaylandIdleInhibitor.h"
#endif

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"
#endif

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject *parent) : QObject(parent)
{
#ifdef VIVREL_HAVE_WAYLAND
    mWayland = WaylandIdleInhibitor::create(this);
#endif
}

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

/** Where a desktop takes holds, in the order they are asked. */
struct Service
{
    QString name;
    QString path;
    QString interface;
    /** The portal answers with a request object, which is closed to let go. */
    bool portal = false;
    /** Started by the bus when it is not running; lockers of other desktops are not. */
    bool autoStart = true;
};

const Service kServices[] = {
    // KDE, and GNOME through its settings daemon; most desktops put the object at the
    // first path, some only at the second.
    {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
     QStringLiteral("org.freedesktop.ScreenSaver")},
    {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
     QStringLiteral("org.freedesktop.ScreenSaver")},
    {QStringLiteral("org.xfce.ScreenSaver"), QStringLiteral("/org/xfce/ScreenSaver"),
     QStringLiteral("org.xfce.ScreenSaver"), false, false},
    {QStringLiteral("org.mate.ScreenSaver"), QStringLiteral("/org/mate/ScreenSaver"),
     QStringLiteral("org.mate.ScreenSaver"), false, false},
    // The one name a sandboxed program reaches; every desktop's portal maps it to its own
    // mechanism.
    {QStringLiteral("org.freedesktop.portal.Desktop"),
     QStringLiteral("/org/freedesktop/portal/desktop"),
     QStringLiteral("org.freedesktop.portal.Inhibit"), true},
};
constexpr int kServiceCount = int(std::size(kServices));
/** The portal's flag for "the session must not go idle". */
constexpr uint kPortalIdle = 8;
/** Never give up listening: a late answer is a hold that must be handed back. */
constexpr int kListenForever = std::numeric_limits<int>::max();
/** What finish() waits, at most, for the desktop's answers. */
constexpr int kFinishMs = 2000;

QString reason()
{
    return ScreenSaverInhibitor::tr("Playing a slide show");
}

} // namespace

void ScreenSaverInhibitor::setHeld(bool held)
{
    if (held == mWanted)
        return;
    mWanted = held;
#ifdef VIVREL_HAVE_WAYLAND
    if (mWayland)
        mWayland->setHeld(held);
#endif
    if (held) {
        ask();
    } else if (mHold) {
        release(*mHold);
        mHold.reset();
    }
}

bool ScreenSaverInhibitor::isGranted() const
{
    return mHold.has_value();
}

void ScreenSaverInhibitor::setPatience(int milliseconds)
{
    mPatienceMs = milliseconds;
}

void ScreenSaverInhibitor::ask()
{
    // A request still awaited settles the matter when it is answered.
    if (!mWanted || mHold || mAsking)
        return;
    switch (mBus) {
    case Bus::Unknown:
        connectToBus();
        break;
    case Bus::Connecting:
    case Bus::Missing: // no session bus: the screen is the desktop's business alone
        break;
    case Bus::Connected:
        sendInhibit(mFirst, kServiceCount);
        break;
    }
}

void ScreenSaverInhibitor::connectToBus()
{
    // The first use of the session bus connects and says hello before it returns, which
    // a stalled bus can make last for ever: that waiting is done by a thread of its own.
    // The connection it makes is the process's, and is handed out at once from then on.
    mBus = Bus::Connecting;
    auto connected = std::make_shared<std::atomic_bool>(false);
    QThread *connecting =
        QThread::create([connected] { *connected = QDBusConnection::sessionBus().isConnected(); });
    connect(connecting, &QThread::finished, connecting, &QObject::deleteLater);
    connect(connecting, &QThread::finished, this, [this, connected] {
        mBus = *connected ? Bus::Connected : Bus::Missing;
        ask();
    });
    connecting->start();
}

void ScreenSaverInhibitor::sendInhibit(int service, int left)
{
    const Service &to = kServices[service];
    QDBusMessage call =
        QDBusMessage::createMethodCall(to.name, to.path, to.interface, QStringLiteral("Inhibit"));
    call.setAutoStartService(to.autoStart);
    if (to.portal)
        call << QString() << kPortalIdle << QVariantMap{{QStringLiteral("reason"), reason()}};
    else
        call << Module1::programTitle() << reason();
    auto *watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, kListenForever), this);
    mAsking = watcher;
    track(watcher);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, service, left](QDBusPendingCallWatcher *answered) {
                inhibitAnswered(answered, service, left);
            });
    // The watcher carries the timer: an answered call takes its timer with it.
    QTimer::singleShot(mPatienceMs, watcher,
                       [this, watcher, service, left] { patienceLost(watcher, service, left); });
}

void ScreenSaverInhibitor::patienceLost(QDBusPendingCallWatcher *call, int service, int left)
{
    if (call != mAsking)
        return;
    // Still listened to; the next service is asked meanwhile.
    mAsking.clear();
    if (mWanted && !mHold && left > 1)
        sendInhibit((service + 1) % kServiceCount, left - 1);
}

void ScreenSaverInhibitor::inhibitAnswered(QDBusPendingCallWatcher *call, int service, int left)
{
    mCallsOut.removeAll(call);
    call->deleteLater();
    const bool awaited = call == mAsking;
    if (awaited)
        mAsking.clear();
    const QDBusMessage reply = call->reply();
    std::optional<Hold> granted;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
        const QVariant token = reply.arguments().constFirst();
        if (kServices[service].portal && token.canConvert<QDBusObjectPath>())
            granted = Hold{service, 0, token.value<QDBusObjectPath>().path()};
        else if (!kServices[service].portal && token.metaType() == QMetaType::fromType<uint>())
            granted = Hold{service, token.toUInt(), QString()};
    }
    if (!granted) {
        // Not there, or not like that: the next service, if this was the one awaited.
        if (awaited && mWanted && !mHold && left > 1)
            sendInhibit((service + 1) % kServiceCount, left - 1);
        return;
    }
    if (mWanted && !mHold) {
        mHold = granted;
        mFirst = service;
    } else {
        // Let go meanwhile, or another service was quicker: hand it straight back.
        release(*granted);
    }
}

void ScreenSaverInhibitor::release(const Hold &hold)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return; // the bus went, and the desktop dropped our hold with it
    const Service &to = kServices[hold.service];
    QDBusMessage call =
        to.portal ? QDBusMessage::createMethodCall(to.name, hold.request,
                                                   QStringLiteral("org.freedesktop.portal.Request"),
                                                   QStringLiteral("Close"))
                  : QDBusMessage::createMethodCall(to.name, to.path, to.interface,
                                                   QStringLiteral("UnInhibit"));
    call.setAutoStartService(false);
    if (!to.portal)
        call << hold.cookie;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    track(watcher);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answered) {
                mCallsOut.removeAll(answered);
                answered->deleteLater();
            });
}

void ScreenSaverInhibitor::track(QDBusPendingCallWatcher *call)
{
    mCallsOut.removeAll(nullptr);
    mCallsOut.append(call);
}

bool ScreenSaverInhibitor::hasCallsOut() const
{
    return std::any_of(
        mCallsOut.cbegin(), mCallsOut.cend(),
        [](const QPointer<QDBusPendingCallWatcher> &call) { return !call.isNull(); });
}

void ScreenSaverInhibitor::finish()
{
    setHeld(false);
#ifdef VIVREL_HAVE_WAYLAND
    if (mWayland)
        mWayland->shutDown();
#endif
    if (!hasCallsOut())
        return;
    // The answers come through the event loop; a hold granted meanwhile is handed back
    // from there, and that release is waited for too.
    QEventLoop loop;
    QTimer poll;
    QDeadlineTimer deadline(kFinishMs);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!hasCallsOut() || deadline.hasExpired())
            loop.quit();
    });
    poll.start(5);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
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

#ifndef VIVREL_HAVE_DBUS
// Nothing here waits for an answer.
void ScreenSaverInhibitor::setPatience(int) {}
#endif
