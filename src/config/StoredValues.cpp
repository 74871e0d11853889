// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "config/StoredValues.h"

#include "common/Numbers.h"

#include <limits>

namespace StoredValues {

std::optional<int> toInteger(QStringView text)
{
    const std::optional<double> number = Numbers::wholeNumber(text);
    if (!number)
        return std::nullopt;
    const double whole = Numbers::roundHalfEven(*number);
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(whole);
}

std::optional<int> toCheckBoxValue(QStringView text)
{
    const std::optional<int> value = toInteger(text);
    if (!value || *value < 0 || *value > 2)
        return std::nullopt;
    return value;
}

std::optional<bool> toBoolean(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = Numbers::wholeNumber(t);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

QString fromBoolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace StoredValues
