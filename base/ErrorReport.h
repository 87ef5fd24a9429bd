// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

// The one road by which an error that escapes an event handler reaches the
// user. Every place where the toolkit calls into our code (a slot, an event
// override, a timer tick) catches at its boundary and calls HandleException;
// the application installs the handler that shows the error box. Until one is
// installed, the message goes to standard error.
using ErrorHandler = std::function<void(const std::exception &)>;

// Installs `handler` and returns the one it replaces (empty: the default).
ErrorHandler SetErrorHandler(ErrorHandler handler);

// Hands `error` to the installed handler. Never throws: an error raised by the
// handler itself is written to standard error and dropped.
void HandleException(const std::exception &error) noexcept;

// Runs `action`, catching whatever it raises and handing it to
// HandleException. Returns true when the action finished without an error.
template <class Action>
bool CallGuarded(Action &&action) noexcept
{
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const std::exception &error) {
        HandleException(error);
    } catch (...) {
        HandleException(std::runtime_error("Unknown error"));
    }
    return false;
}
