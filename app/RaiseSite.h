// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>
#include <exception>

// Where an error was raised, for the start-up failure box.
//
// Every executable that links this library has its `throw` statements routed
// through a hook (the linker's --wrap of __cxa_throw) that remembers the code
// address right after the raising call and the object raised. Errors raised
// inside shared libraries (the C++ runtime's own) are not seen.

// The raise address of `error`, counted from the start of the image that
// holds the raising code, when `error` is the object most recently raised on
// this thread through the hook; else `fallback`'s offset in its image.
std::uint32_t RaiseOffset(const std::exception &error, const void *fallback);

// Offset of a code address from the start of the image that contains it
// (0 when no loaded image contains it). Only the low 32 bits are kept.
std::uint32_t ImageOffsetOf(const void *code);
