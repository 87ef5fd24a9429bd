// SPDX-License-Identifier: MIT
#include "net/TIdBaseComponent.h"

TIdBaseComponent::TIdBaseComponent(TIdBaseComponent *owner) noexcept : owner_(owner) {}

TIdBaseComponent::~TIdBaseComponent() = default;
