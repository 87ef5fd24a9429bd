// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>
#include <QUrl>

#include <array>
#include <functional>

// The fixed host names and the home page of the main window.
//
// Never resolved or connected to by the tests or demo runs: those run in an
// empty network namespace or type a loopback address into the host field
// first.
namespace Addresses {

// The three preset buttons, left to right ("MS", "Goo", "VH"); the first one
// is the host field's text at start.
inline const std::array<QString, 3> kPresetHosts{
    QStringLiteral("www.microsoft.com"),
    QStringLiteral("www.google.com"),
    QStringLiteral("www.varnholt.example"),
};

// The maker's home page: the link label's caption and what the link and the
// logo open.
inline const QString kHomePage = QStringLiteral("www.varnholt.example");

// The home page as a web address for the desktop's handler.
QUrl HomePageUrl();

} // namespace Addresses

// Hands a web address to the desktop's handler. The real one is
// QDesktopServices::openUrl, whose result is ignored (no handler, no
// message); tests install one that records the address.
using UrlOpener = std::function<void(const QUrl &)>;

// Installs `opener` (empty: the desktop's handler) and returns the previous.
UrlOpener SetUrlOpener(UrlOpener opener);

// Opens the home page through the installed opener.
void OpenHomePage();
