// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <functional>
#include <thread>

// Starts a thread with every signal blocked, so that signals reach the
// thread that handles them and not this helper; `body` may let through what
// it needs. The calling thread's own mask is as it was, also when starting
// the thread fails (std::system_error).
std::thread StartWithSignalsBlocked(std::function<void()> body);
