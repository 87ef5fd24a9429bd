// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdBaseComponent.h"

TIdBaseComponent::TIdBaseComponent(TIdBaseComponent *owner) noexcept : owner_(owner) {}

TIdBaseComponent::~TIdBaseComponent() = default;
