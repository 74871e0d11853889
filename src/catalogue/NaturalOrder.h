#pragma once

#include <string_view>

/**
 * Name order as a person reads it: letters without regard to case, runs of digits
 * by their value (IMG_2 before IMG_10). Names that differ only in case or leading
 * zeros fall back to byte order, so the order is total and the same on every run.
 */
bool naturalLess(std::string_view a, std::string_view b);
