// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace Translations {

namespace {

std::unique_ptr<QTranslator> &own()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

std::unique_ptr<QTranslator> &qts()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

/** Loads `name`_<language>.qm from `folder` and installs it, or leaves `slot` empty. */
bool installOne(std::unique_ptr<QTranslator> &slot, const QLocale &locale, const QString &name,
                const QString &folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    slot = std::move(translator);
    return true;
}

} // namespace

bool install(const QLocale &locale)
{
    remove();
    // Qt's catalogue only beside one of the program's own: a message box would
    // otherwise mix the languages on its buttons and its text.
    if (!installOne(own(), locale, QStringLiteral("vivrel"), QStringLiteral(":/i18n")))
        return false;
    installOne(qts(), locale, QStringLiteral("qtbase"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return true;
}

void remove()
{
    for (std::unique_ptr<QTranslator> *slot : {&own(), &qts()}) {
        if (*slot)
            QCoreApplication::removeTranslator(slot->get());
        slot->reset();
    }
}

} // namespace Translations
