// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdStatus.h"

const std::array<std::string_view, TIdStatusCount> StatusTexts = {
    "Resolving hostname %s.", // hsResolving
    "Connecting to %s.",      // hsConnecting
    "Connected.",             // hsConnected
    "Disconnecting.",         // hsDisconnecting
    "Disconnected.",          // hsDisconnected
    "%s",                     // hsStatusText
    "%s",                     // ftpTransfer
    "%s",                     // ftpReady
    "%s",                     // ftpAborted
};

std::string FormatStatus(TIdStatus status, std::string_view argument)
{
    const std::string_view format = StatusTexts.at(static_cast<std::size_t>(status));
    std::string text;
    text.reserve(format.size() + argument.size());
    std::size_t from = 0;
    for (std::size_t at = format.find("%s"); at != std::string_view::npos;
         at = format.find("%s", from)) {
        text.append(format.substr(from, at - from));
        text.append(argument);
        from = at + 2;
    }
    text.append(format.substr(from));
    return text;
}
