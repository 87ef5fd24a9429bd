// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TGaugeLook.h"

#include <QImage>

// A gauge's paint done step by step with full-size images throughout: blacken
// the base image, draw the face on a blackened overlay of the same size, XOR
// it into the base, then XOR in the text drawn white on another blackened
// full-size image. TGaugePainter::Paint must give the same pixels.
QImage ReferenceGaugePaint(const TGaugeLook &look);
