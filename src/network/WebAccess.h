// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QUrl>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

/**
 * What the network module (vivrel_network, loaded on first use by NetworkModule) offers
 * the program. Everything here is inline or pure virtual, and no Qt Network type
 * appears: the module implements it, the program only calls it, and neither links
 * anything of the other.
 */
namespace Web {

/** Raised whenever this interface changes; a module built for another one is refused. */
constexpr int kInterfaceVersion = 1;

/** The one symbol the module exports: `Module *vivrel_network_module(int interfaceVersion)`. */
constexpr char kEntryPoint[] = "vivrel_network_module";

enum class Reachability {
    /** The system does not say (no backend, or one that cannot tell). */
    Unknown,
    Offline,
    Online,
};

/** One fetch under way. Destroying it cuts the fetch off; its callback then never comes. */
class Transfer
{
public:
    virtual ~Transfer() = default;
    /** Ends the fetch at once as failed, reporting it before returning; no-op once ended. */
    virtual void abort() = 0;
};

/**
 * Called once when a fetch ends: with the whole body when it came complete with a 2xx
 * status, without one otherwise. Always from the event loop of the thread that started
 * the fetch (or from within abort()); it may destroy the Transfer.
 */
using Fetched = std::function<void(std::optional<QByteArray> body)>;

/** An HTTP client with connections of its own. It must outlive its transfers. */
class Client
{
public:
    virtual ~Client() = default;
    /**
     * Starts a GET of `url`, asking for the body as it is stored (no compression), and
     * refusing a body over `maxBytes`, a compressed one, and a redirection to anything
     * but a web address. Never reports from within this call.
     */
    virtual std::unique_ptr<Transfer> get(const QUrl &url, qint64 maxBytes, Fetched fetched) = 0;
};

/** The module itself: one per process, which lives as long as the process. */
class Module
{
public:
    virtual std::unique_ptr<Client> newClient() = 0;
    /** Whether the machine is on line, as far as the system knows. */
    virtual Reachability reachability() = 0;

protected:
    virtual ~Module() = default;
};

using EntryPoint = Module *(*)(int interfaceVersion);

} // namespace Web

/** True for an http or https address with a host. */
inline bool isWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}
