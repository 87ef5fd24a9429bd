// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdBaseComponent.h"
#include "net/TIdStatus.h"

#include <functional>
#include <string>
#include <string_view>

class TIdComponent;

// A status report: the reporting component, the status and its text.
using TIdStatusEvent =
    std::function<void(TIdComponent *sender, TIdStatus status, const std::string &text)>;

// A network component. While any network component lives, the process-wide
// socket stack exists: the first one to be built creates it, the last one to
// go frees it.
class TIdComponent : public TIdBaseComponent {
public:
    // Raises whatever creating the stack raises (EIdStackInitializationFailed
    // when the socket layer cannot start); no component and no stack are
    // left behind then.
    explicit TIdComponent(TIdBaseComponent *owner = nullptr);
    ~TIdComponent() override;

    const TIdStatusEvent &OnStatus() const noexcept { return onStatus_; }
    void SetOnStatus(TIdStatusEvent handler);

protected:
    // Calls OnStatus, when assigned, with this component, the status and the
    // status's format filled with `argument`. An error the handler raises
    // passes through.
    void ReportStatus(TIdStatus status, std::string_view argument = {});

private:
    TIdStatusEvent onStatus_;
};
