// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The stored-value conversions and the interval box's number rule on arbitrary text.

#include "common/Numbers.h"
#include "config/StoredValues.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        if (const auto value = StoredValues::toCheckBoxValue(text);
            value && (*value < 0 || *value > 2))
            std::abort();
        if (const auto value = StoredValues::toInteger(text);
            value && (*value < -32768 || *value > 32767))
            std::abort();
        (void)StoredValues::toBoolean(text);
        const double seconds = Numbers::leadingNumber(text);
        if (!std::isfinite(seconds))
            std::abort();
        (void)Numbers::intervalMilliseconds(text);
        (void)Numbers::wholeNumber(text);
    }
    return 0;
}
