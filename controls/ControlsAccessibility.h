// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// What assistive technology sees of the drawn controls: a repeating button
// is a push button whose press action clicks it (one step); a gauge is a
// progress bar whose value is Progress, between MinValue and MaxValue, so
// that the countdown can be read. Each control installs this on first use.
void InstallControlsAccessibility();
