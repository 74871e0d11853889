// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the bad-picture corpus into a folder: make_bad_pictures OUT_DIR

#include "BadPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: make_bad_pictures OUT_DIR\n";
        return 2;
    }
    const QString out = args[1];
    if (!QDir().mkpath(out)) {
        err << "cannot create " << out << '\n';
        return 1;
    }
    const QList<BadPictures::Item> items = BadPictures::make(QDir(out).absolutePath());
    QTextStream(stdout) << items.size() << " files in " << out << '\n';
    return 0;
}
