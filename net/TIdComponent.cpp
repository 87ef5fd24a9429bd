// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdComponent.h"

#include "net/TIdStack.h"

#include <utility>

TIdComponent::TIdComponent(TIdBaseComponent *owner) : TIdBaseComponent(owner)
{
    RegisterNetComponent();
}

TIdComponent::~TIdComponent()
{
    UnregisterNetComponent();
}

void TIdComponent::SetOnStatus(TIdStatusEvent handler)
{
    onStatus_ = std::move(handler);
}

void TIdComponent::ReportStatus(TIdStatus status, std::string_view argument)
{
    if (onStatus_)
        onStatus_(this, status, FormatStatus(status, argument));
}
