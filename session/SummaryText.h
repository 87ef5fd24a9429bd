// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/CheckEvent.h"
#include "session/SessionSummary.h"

#include <string>
#include <string_view>

// The statistics of a session as text for people, as the terminal program
// prints them at its end and the window puts them on the clipboard. Pure
// functions; each text ends with a line break.

// `text` between an ANSI colour and the reset when `color`, else unchanged.
std::string Painted(std::string_view text, std::string_view colour, bool color);

// An address as the text formats show it: an IPv6 address (it holds a
// colon) in brackets, "[2001:db8::1]", so that it stands apart from a port;
// any other as it is.
std::string AddressText(std::string_view address);

// "127.0.0.1 (127.0.0.1) port 8080", "::1 ([::1]) port 80",
// "name (no address) port 80".
std::string TargetText(const ProbeTarget &target, std::string_view address);

// The statistics of the session so far; `address` is the last address a
// check reached or tried (empty: none). With `color` the first line is bold.
std::string TextSummary(const ProbeTarget &target, std::string_view address, const SessionSummary &summary,
                        bool color);
