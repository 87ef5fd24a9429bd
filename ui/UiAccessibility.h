// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

class QWidget;

// What assistive technology sees of the window's drawn controls:
// - a label is static text named by its caption, or, when it can be clicked,
//   a link with a press action; a picture that can be clicked is a graphic
//   with a press action;
// - a control marked with SetAccessibleHidden is left out of the tree (the
//   outline copies of the readout, which would repeat its text);
// - a TForm has, as its last child, a status bar object whose name is the
//   form's AccessibleStatus.
// Installed by the first TForm built.
void InstallUiAccessibility();

// Leaves `control` out of its parent's accessible children.
void SetAccessibleHidden(QWidget *control);
bool AccessibleHidden(const QWidget *control);
