// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "advert/AdvertPage.h"

namespace AdvertPage {

QString pageName()
{
    return QStringLiteral("vivrel4.htm");
}

QString jpegName()
{
    return QStringLiteral("vivrel4.jpg");
}

QString gifName()
{
    return QStringLiteral("vivrel4.gif");
}

QByteArray composedPage()
{
    return QByteArrayLiteral("<body text=\"#FF0000\" bgcolor=\"#FCD5B1\">\r\n"
                             "<div style='width:120;height:10'>\r\n"
                             "<b><font size= 2 >Thank You For Using: </font>Tremallo"
                             "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; V i v r e l</b>\r\n");
}

QString baseUrl(const QString &stored)
{
    const QString base = stored.trimmed();
    return base.isEmpty() ? QStringLiteral("http://ads.tremallo.example/tremallo") : base;
}

QUrl remoteUrl(const QString &base, const QString &name)
{
    QString root = base;
    while (root.endsWith(u'/'))
        root.chop(1);
    return QUrl(root + QStringLiteral("/advt/vivrel/") + name);
}

} // namespace AdvertPage
