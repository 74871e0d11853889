// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/WaylandIdleInhibitor.h"

#include "idle-inhibit-unstable-v1-client-protocol.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>

namespace {

QPlatformNativeInterface *native()
{
    return QGuiApplication::platformNativeInterface();
}

/** Windows a user looks at: not menus, tool tips or the like, which come and go. */
bool isMainKind(const QWindow *window)
{
    return window->type() == Qt::Window || window->type() == Qt::Dialog;
}

} // namespace

WaylandIdleInhibitor *WaylandIdleInhibitor::create(QObject *parent)
{
    if (QGuiApplication::platformName() != u"wayland" || !native())
        return nullptr;
    auto *display = static_cast<wl_display *>(
        native()->nativeResourceForIntegration(QByteArrayLiteral("wl_display")));
    if (!display)
        return nullptr;
    return new WaylandIdleInhibitor(display, parent);
}

WaylandIdleInhibitor::WaylandIdleInhibitor(wl_display *display, QObject *parent)
    : QObject(parent), mDisplay(display)
{
    // Qt tears its connection down before the application's children go: everything
    // Wayland is let go of while the loop ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &WaylandIdleInhibitor::shutDown);
}

WaylandIdleInhibitor::~WaylandIdleInhibitor()
{
    // After the application's end the display is gone and nothing may be sent on it.
    if (!QCoreApplication::closingDown())
        shutDown();
}

void WaylandIdleInhibitor::shutDown()
{
    if (mShutDown)
        return;
    setHeld(false);
    if (mManager)
        zwp_idle_inhibit_manager_v1_destroy(mManager);
    mManager = nullptr;
    if (mQueue)
        wl_event_queue_destroy(mQueue);
    mQueue = nullptr;
    wl_display_flush(mDisplay);
    mShutDown = true;
}

void WaylandIdleInhibitor::registryGlobal(void *data, wl_registry *registry, uint32_t name,
                                          const char *interface, uint32_t)
{
    auto *self = static_cast<WaylandIdleInhibitor *>(data);
    if (!self->mManager &&
        std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
        self->mManager = static_cast<zwp_idle_inhibit_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
    }
}

void WaylandIdleInhibitor::registryGlobalRemove(void *, wl_registry *, uint32_t) {}

bool WaylandIdleInhibitor::bindManager()
{
    if (mAskedRegistry)
        return mManager != nullptr;
    mAskedRegistry = true;
    // A queue of our own, so that Qt's queue never sees these objects and the round
    // trip below dispatches nothing of Qt's. The compositor is local and answers at once.
    mQueue = wl_display_create_queue(mDisplay);
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(mDisplay));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), mQueue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    static const wl_registry_listener listener = {&WaylandIdleInhibitor::registryGlobal,
                                                  &WaylandIdleInhibitor::registryGlobalRemove};
    wl_registry_add_listener(registry, &listener, this);
    wl_display_roundtrip_queue(mDisplay, mQueue);
    wl_registry_destroy(registry);
    return mManager != nullptr;
}

void WaylandIdleInhibitor::setHeld(bool held)
{
    if (held == mHeld || mShutDown)
        return;
    mHeld = held;
    if (held) {
        if (!bindManager())
            return; // not offered: the other ways of keeping the screen on must do
        qApp->installEventFilter(this);
        const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
        for (QWindow *window : windows)
            follow(window);
    } else {
        qApp->removeEventFilter(this);
        dropAll();
    }
    wl_display_flush(mDisplay);
}

bool WaylandIdleInhibitor::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Expose:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::PlatformSurface:
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
            // The surface goes first: its inhibitor must not outlive it.
            if (watched->isWindowType())
                drop(static_cast<QWindow *>(watched));
            break;
        }
        if (watched->isWindowType()) {
            follow(static_cast<QWindow *>(watched));
            wl_display_flush(mDisplay);
        }
        break;
    default:
        break;
    }
    return false;
}

void WaylandIdleInhibitor::follow(QWindow *window)
{
    if (!isMainKind(window))
        return;
    wl_surface *surface = nullptr;
    if (mHeld && mManager && window->isVisible() && window->handle())
        surface = static_cast<wl_surface *>(
            native()->nativeResourceForWindow(QByteArrayLiteral("surface"), window));
    const auto known = mInhibitors.constFind(window);
    if (known != mInhibitors.cend() && known->surface == surface)
        return;
    drop(window);
    if (!surface)
        return;
    mInhibitors.insert(window,
                       {surface, zwp_idle_inhibit_manager_v1_create_inhibitor(mManager, surface)});
    connect(window, &QObject::destroyed, this, &WaylandIdleInhibitor::windowGone,
            Qt::UniqueConnection);
}

void WaylandIdleInhibitor::windowGone(QObject *window)
{
    // Only the address is used: the window is no longer one.
    drop(static_cast<QWindow *>(window));
}

void WaylandIdleInhibitor::drop(QWindow *window)
{
    const auto known = mInhibitors.find(window);
    if (known == mInhibitors.end())
        return;
    zwp_idle_inhibitor_v1_destroy(known->inhibitor);
    mInhibitors.erase(known);
}

void WaylandIdleInhibitor::dropAll()
{
    for (const Inhibitor &held : std::as_const(mInhibitors))
        zwp_idle_inhibitor_v1_destroy(held.inhibitor);
    mInhibitors.clear();
}
