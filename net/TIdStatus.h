// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <array>
#include <string>
#include <string_view>

// What a network component reports through OnStatus, in this order.
enum TIdStatus {
    hsResolving,
    hsConnecting,
    hsConnected,
    hsDisconnecting,
    hsDisconnected,
    hsStatusText,
    ftpTransfer,
    ftpReady,
    ftpAborted,
};

inline constexpr std::size_t TIdStatusCount = ftpAborted + 1;

// The format of each status; "%s" stands for the report's argument.
extern const std::array<std::string_view, TIdStatusCount> StatusTexts;

// The text of a report: the status's format with each "%s" replaced by
// `argument` (a format without "%s" ignores it).
std::string FormatStatus(TIdStatus status, std::string_view argument);
