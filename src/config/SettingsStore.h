#pragma once

#include "common/Result.h"

#include <QString>

#include <memory>

class QSettings;

/**
 * The per-user store. Every reader and writer opens it through here, so it is the
 * same store everywhere and a test can move it with QSettings::setPath() (on Windows,
 * with setStoreName()).
 */
namespace SettingsStore {

/** The store itself (native format, user scope), with no group entered. */
std::unique_ptr<QSettings> open();

/**
 * The store's name under the organisation "Tremallo": "Vivrel" unless set. On Windows the
 * store is the registry, which QSettings::setPath() does not move: there a test gives
 * each of its stores a name of its own instead.
 */
QString storeName();
void setStoreName(const QString &application);

/** The value of `key` in the group "Settings"; an absent key reads as the empty string. */
QString GetSetting(const QString &key);

/** Writes `value` under `key` in the group "Settings" and flushes it at once. */
Result<> SaveSetting(const QString &key, const QString &value);

} // namespace SettingsStore
