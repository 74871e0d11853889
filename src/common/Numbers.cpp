// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace Numbers {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Length of the longest prefix of text[pos..] that forms a number; 0 when none.
qsizetype numberLength(QStringView text, qsizetype pos)
{
    const qsizetype start = pos;
    const qsizetype n = text.size();
    if (pos < n && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    qsizetype digits = 0;
    while (pos < n && text[pos].isDigit() && text[pos].unicode() < 128) {
        ++pos;
        ++digits;
    }
    if (pos < n && text[pos] == u'.') {
        qsizetype p = pos + 1;
        qsizetype fraction = 0;
        while (p < n && text[p].unicode() >= u'0' && text[p].unicode() <= u'9') {
            ++p;
            ++fraction;
        }
        if (digits + fraction > 0) {
            pos = p;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (pos < n && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype p = pos + 1;
        if (p < n && (text[p] == u'+' || text[p] == u'-'))
            ++p;
        const qsizetype expStart = p;
        while (p < n && text[p].unicode() >= u'0' && text[p].unicode() <= u'9')
            ++p;
        if (p > expStart)
            pos = p;
    }
    return pos - start;
}

double parse(QStringView text)
{
    // Only ASCII reaches here, so Latin-1 is exact; strtod with the C locale.
    const std::string ascii = text.toLatin1().toStdString();
    return std::strtod(ascii.c_str(), nullptr);
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    const qsizetype len = numberLength(text, pos);
    if (len == 0)
        return 0.0;
    const double value = parse(text.mid(pos, len));
    // Only an overflow ("1e400") is not finite here: it is as large as a number gets,
    // not nothing, so it keeps its sign and is still over any limit.
    return std::isfinite(value) ? value : std::copysign(std::numeric_limits<double>::max(), value);
}

double roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even
    // unless someone changed it; do it by hand so the result never depends on that.
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<double> wholeNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const qsizetype len = numberLength(t, 0);
    if (len != t.size())
        return std::nullopt;
    const double value = parse(t);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::int64_t intervalMilliseconds(QStringView text)
{
    const double seconds = leadingNumber(text);
    // Clamp to what an int64 holds; callers clamp further to the timer's range. Done
    // on the seconds, so the largest number a double holds never overflows the product.
    if (seconds >= 9.0e15)
        return INT64_C(9000000000000000000);
    if (seconds <= -9.0e15)
        return -INT64_C(9000000000000000000);
    return static_cast<std::int64_t>(roundHalfEven(seconds * 1000.0));
}

} // namespace Numbers
