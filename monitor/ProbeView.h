// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

// The window operations that the connectivity probe uses.
class ProbeView {
public:
    // The five labels that together show the outlined readout; Label11, the
    // white one, lies on top.
    enum class ReadoutLabel { Label7, Label8, Label9, Label10, Label11 };

    virtual ~ProbeView() = default;

    // Edit1.Text exactly as the user left it, untrimmed.
    virtual QString HostText() = 0;

    // Caption of one readout label.
    virtual void SetReadoutCaption(ReadoutLabel label, const QString &text) = 0;
};
