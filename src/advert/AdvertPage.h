// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/PictureLoader.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

/** The web panel's page and its two pictures: names, the composed page, the server's URLs. */
namespace AdvertPage {

/** File names, the same in the private folder and on the advert server. */
QString pageName();
QString jpegName();
QString gifName();

/** The page the program writes itself when no page is there: three lines, CR LF ended. */
QByteArray composedPage();

/**
 * The advert server's base URL: `stored`, the address the settings hold, without blanks
 * around it; the maker's server when that is empty.
 */
QString baseUrl(const QString &stored);

/** `base` + "/advt/vivrel/" + `name`; a trailing slash on `base` is not doubled. */
QUrl remoteUrl(const QString &base, const QString &name);

/** Largest page and picture the panel accepts from the server, in bytes. */
constexpr qint64 kPageCap = 256 * 1024;
constexpr qint64 kPictureCap = 4 * 1024 * 1024;

/** The panel shows JPEG and GIF pictures, decoded into 64 MiB at most. */
inline constexpr PictureLoader::Limits kPictureLimits{
    .formats = {PictureLoader::Jpeg, PictureLoader::Gif},
    .maxDecodedBytes = qint64(64) << 20,
};

} // namespace AdvertPage
