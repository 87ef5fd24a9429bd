// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// The root of the network components. A component may name the component
// that owns it; the owner keeps it (in a smart pointer) and frees it with
// itself. Components are neither copied nor moved: events and owners refer
// to them by address.
class TIdBaseComponent {
public:
    explicit TIdBaseComponent(TIdBaseComponent *owner = nullptr) noexcept;
    virtual ~TIdBaseComponent();
    TIdBaseComponent(const TIdBaseComponent &) = delete;
    TIdBaseComponent &operator=(const TIdBaseComponent &) = delete;

    TIdBaseComponent *Owner() const noexcept { return owner_; }

private:
    TIdBaseComponent *owner_;
};
