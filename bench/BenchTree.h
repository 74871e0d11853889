// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace BenchTree {

/**
 * Lays out `folders` folders (two levels) holding `files` empty files in all:
 * 60% .jpg, 10% .BMP, 10% .gif, 20% other names. Returns the number of pictures.
 */
qsizetype makeTree(const QString &root, int folders, int files);

/** A baseline walk: breadth-first readdir using d_type, counting regular files. */
qsizetype bareWalk(const QString &root);

} // namespace BenchTree
