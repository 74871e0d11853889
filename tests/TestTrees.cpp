#include "TestTrees.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>

namespace TestTrees {

void writeFile(const QString &root, const QString &relative, const QByteArray &content)
{
    const QString path = root + u'/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void writePicture(const QString &path, int width, int height, const char *format, unsigned rgb)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    image.save(path, format);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY(file.write(content) == content.size());
}

void fillFileTypes(QComboBox *selector)
{
    selector->clear();
    selector->addItems({QStringLiteral("*.jpg;*.bmp;*.gif"), QStringLiteral("*.jpg"),
                        QStringLiteral("*.bmp"), QStringLiteral("*.gif")});
    selector->setCurrentIndex(0);
}

void touch(const QString &root, const QStringList &relatives)
{
    for (const QString &relative : relatives)
        writeFile(root, relative);
}

} // namespace TestTrees
