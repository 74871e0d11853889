// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "config/SettingsStore.h"

#include "common/WriteGuard.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace SettingsStore {

namespace {
const QString kGroup = QStringLiteral("Settings");

std::function<void(const QStringList &)> &flushWatcher()
{
    static std::function<void(const QStringList &)> watcher;
    return watcher;
}

QString &nameInUse()
{
    static QString name = QStringLiteral("Vivrel");
    return name;
}
} // namespace

std::unique_ptr<QSettings> open()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tremallo"), nameInUse());
}

QString storeName()
{
    return nameInUse();
}

void setStoreName(const QString &application)
{
    nameInUse() = application;
}

Reader::Reader() = default;
Reader::~Reader() = default;

QString Reader::value(const QString &group, const QString &key)
{
    if (!mStore)
        mStore = open();
    mStore->beginGroup(group);
    const QVariant value = mStore->value(key);
    mStore->endGroup();
    // A hand-edited value with an unquoted comma reads back as a list; it was one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

QString GetSetting(const QString &group, const QString &key)
{
    return Reader().value(group, key);
}

QString GetSetting(const QString &key)
{
    return GetSetting(kGroup, key);
}

Result<> SaveSetting(const QString &key, const QString &value)
{
    return SaveSettings({{key, value}});
}

Result<> SaveSettings(const QList<std::pair<QString, QString>> &values)
{
    return SaveSettings(kGroup, values);
}

Result<> SaveSettings(const QString &group, const QList<std::pair<QString, QString>> &values)
{
    // A store of its own for each save: QSettings keeps the first error it meets, and
    // one save that failed must not make the ones after it look failed too.
    const std::unique_ptr<QSettings> store = open();
    WriteGuard::checkWrite(store->fileName(), "the settings store");
    store->beginGroup(group);
    QStringList keys;
    for (const auto &[key, value] : values) {
        store->setValue(key, value);
        keys << key;
    }
    store->sync();
    if (flushWatcher())
        flushWatcher()(keys);
    switch (store->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return Error::PermissionDenied;
    case QSettings::FormatError:
        break;
    }
    return Error::FileAccess;
}

void setFlushWatcher(std::function<void(const QStringList &keys)> watcher)
{
    flushWatcher() = std::move(watcher);
}

} // namespace SettingsStore
