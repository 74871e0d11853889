#include "catalogue/NaturalOrder.h"

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
    size_t i = 0;
    size_t j = 0;
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
            for (size_t k = 0; k < ea - ia; ++k) {
                if (a[ia + k] != b[jb + k])
                    return a[ia + k] < b[jb + k];
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
