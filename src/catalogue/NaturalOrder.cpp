// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/NaturalOrder.h"

#include <algorithm>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

unsigned char fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b)
{
    // Skip the bytes both names share, backing up to the start of a digit run so that
    // numbers are still compared whole. Names in one folder often share long prefixes.
    size_t k = 0;
    const size_t shorter = std::min(a.size(), b.size());
    while (k < shorter && a[k] == b[k])
        ++k;
    while (k > 0 && isDigit(a[k - 1]))
        --k;
    size_t i = k;
    size_t j = k;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the two digit runs by value: skip leading zeros, then the
            // longer run is the larger number, else the first differing digit.
            size_t ia = i;
            size_t jb = j;
            while (ia < a.size() && a[ia] == '0')
                ++ia;
            while (jb < b.size() && b[jb] == '0')
                ++jb;
            size_t ea = ia;
            size_t eb = jb;
            while (ea < a.size() && isDigit(a[ea]))
                ++ea;
            while (eb < b.size() && isDigit(b[eb]))
                ++eb;
            if (ea - ia != eb - jb)
                return ea - ia < eb - jb;
            for (size_t d = 0; d < ea - ia; ++d) {
                if (a[ia + d] != b[jb + d])
                    return a[ia + d] < b[jb + d];
            }
            i = ea;
            j = eb;
            continue;
        }
        const unsigned char ca = fold(a[i]);
        const unsigned char cb = fold(b[j]);
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
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
        // The marker sorts where a digit does among other characters; the length byte
        // makes a longer number the larger one.
        key.push_back('0');
        key.push_back(char(std::min<size_t>(end - i, 254) + 1));
        key.append(name.substr(i, end - i));
        i = end;
    }
}
