// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BenchTree.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <deque>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace BenchTree {

qsizetype makeTree(const QString &root, int folders, int files)
{
    const int top = 20;
    const int perTop = (folders + top - 1) / top;
    const int perFolder = files / folders;
    static const char *const endings[10] = {".jpg", ".jpg", ".jpg", ".jpg", ".jpg",
                                            ".jpg", ".BMP", ".gif", ".txt", ".png"};
    qsizetype pictures = 0;
    int made = 0;
    for (int t = 0; t < top && made < folders; ++t) {
        for (int f = 0; f < perTop && made < folders; ++f, ++made) {
            const QString dir = QStringLiteral("%1/t%2/f%3").arg(root).arg(t).arg(f);
            QDir().mkpath(dir);
            const std::string base = QFile::encodeName(dir).toStdString() + "/IMG_";
            for (int i = 0; i < perFolder; ++i) {
                const char *ending = endings[(i * 7 + made) % 10];
                const std::string path = base + std::to_string(i) + ending;
                const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd >= 0)
                    ::close(fd);
                if (ending[1] != 't' && ending[1] != 'p')
                    ++pictures;
            }
        }
    }
    return pictures;
}

qsizetype bareWalk(const QString &root)
{
    qsizetype count = 0;
    std::deque<std::string> queue;
    queue.push_back(QFile::encodeName(root).toStdString());
    while (!queue.empty()) {
        const std::string dir = std::move(queue.front());
        queue.pop_front();
        DIR *d = ::opendir(dir.c_str());
        if (!d)
            continue;
        while (const dirent *e = ::readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            if (e->d_type == DT_DIR)
                queue.push_back(dir + '/' + e->d_name);
            else if (e->d_type == DT_REG)
                ++count;
        }
        ::closedir(d);
    }
    return count;
}

} // namespace BenchTree
