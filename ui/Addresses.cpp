// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/Addresses.h"

#include <QDesktopServices>

namespace {

UrlOpener &InstalledOpener()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

QUrl Addresses::HomePageUrl()
{
    return QUrl(QStringLiteral("https://") + kHomePage + QStringLiteral("/"));
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    UrlOpener previous = std::move(InstalledOpener());
    InstalledOpener() = std::move(opener);
    return previous;
}

void OpenHomePage()
{
    const QUrl url = Addresses::HomePageUrl();
    if (const UrlOpener &opener = InstalledOpener()) {
        opener(url);
        return;
    }
    // Failure (no handler registered) is not reported.
    (void)QDesktopServices::openUrl(url);
}
