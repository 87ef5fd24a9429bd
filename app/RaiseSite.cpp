// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/RaiseSite.h"

#include <dlfcn.h>

#include <cstdint>
#include <typeinfo>

namespace {

thread_local const void *lastRaisedObject = nullptr;
thread_local const void *lastRaiseAddress = nullptr;

} // namespace

extern "C" {

// The C++ runtime's raise entry; the linker routes our code's calls to the
// wrapper below and the wrapper's call here to the runtime.
[[noreturn]] void __real___cxa_throw(void *object, std::type_info *type, void (*destroy)(void *));

[[noreturn]] void __wrap___cxa_throw(void *object, std::type_info *type, void (*destroy)(void *))
{
    lastRaisedObject = object;
    lastRaiseAddress = __builtin_return_address(0);
    __real___cxa_throw(object, type, destroy);
}

} // extern "C"

std::uint32_t ImageOffsetOf(const void *code)
{
    Dl_info info{};
    if (code == nullptr || dladdr(code, &info) == 0 || info.dli_fbase == nullptr)
        return 0;
    const auto offset = reinterpret_cast<std::uintptr_t>(code)
                        - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    return static_cast<std::uint32_t>(offset);
}

std::uint32_t RaiseOffset(const std::exception &error, const void *fallback)
{
    // The raised object is the caught one's complete object, so an address
    // recorded for another (earlier, already handled) error is never reported
    // for this one.
    if (lastRaisedObject == dynamic_cast<const void *>(&error) && lastRaiseAddress != nullptr)
        return ImageOffsetOf(lastRaiseAddress);
    return ImageOffsetOf(fallback);
}
