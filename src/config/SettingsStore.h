// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

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

/**
 * Many reads of the store in a row: it is looked for and made ready once, on the first
 * read, where each GetSetting() does it again. What this program saves meanwhile shows in
 * it at once; a change another process makes shows only in a reader made after it.
 */
class Reader
{
public:
    Reader();
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    /** As GetSetting(group, key). */
    QString value(const QString &group, const QString &key);

private:
    std::unique_ptr<QSettings> mStore;
};

/** The value of `key` in `group`; an absent key reads as the empty string. */
QString GetSetting(const QString &group, const QString &key);
/** The value of `key` in the group "Settings". */
QString GetSetting(const QString &key);

/** Writes `value` under `key` in the group "Settings" and flushes it at once. */
Result<> SaveSetting(const QString &key, const QString &value);

/**
 * Writes each key and value in `group`, in the order given, then flushes
 * the store once: a large store is read and written once, not once per key.
 */
Result<> SaveSettings(const QString &group, const QList<std::pair<QString, QString>> &values);
/** SaveSettings() in the group "Settings". */
Result<> SaveSettings(const QList<std::pair<QString, QString>> &values);

/**
 * Has `watcher` told the keys of every flush of the store, in the order they were
 * written (tests); an empty function stops it.
 */
void setFlushWatcher(std::function<void(const QStringList &keys)> watcher);

} // namespace SettingsStore
