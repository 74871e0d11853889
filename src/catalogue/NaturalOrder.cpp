// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/NaturalOrder.h"

#include <algorithm>
#include <cstdint>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/** Digit runs up to this long have their length in one byte of the key. */
constexpr size_t kShortRun = 253;

unsigned char fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b)
{
    return keyedLess(naturalKey(a), a, naturalKey(b), b);
}

std::string naturalKey(std::string_view name)
{
    std::string key;
    key.reserve(name.size() + 4);
    appendNaturalKey(key, name);
    return key;
}

void appendNaturalKey(std::string &key, std::string_view name)
{
    size_t i = 0;
    while (i < name.size()) {
        if (!isDigit(name[i])) {
            key.push_back(char(fold(name[i])));
            ++i;
            continue;
        }
        while (i < name.size() && name[i] == '0' && i + 1 < name.size() && isDigit(name[i + 1]))
            ++i;
        size_t end = i;
        while (end < name.size() && isDigit(name[end]))
            ++end;
        // The marker sorts where a digit does among other characters; the length makes a
        // longer number the larger one: one byte up to kShortRun digits, else a byte above
        // all of those and four bytes, most significant first.
        key.push_back('0');
        const size_t digits = end - i;
        if (digits <= kShortRun) {
            key.push_back(char(digits + 1));
        } else {
            const auto length = std::uint32_t(std::min<size_t>(digits, UINT32_MAX));
            key.push_back(char(kShortRun + 2));
            for (int shift = 24; shift >= 0; shift -= 8)
                key.push_back(char((length >> shift) & 0xff));
        }
        key.append(name.substr(i, end - i));
        i = end;
    }
}
