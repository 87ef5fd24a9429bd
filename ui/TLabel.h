// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"

#include "ui/TGraphicControl.h"

#include <QString>

// A drawn text label: one line of text at its top-left corner, sized to the
// text.
//
// - Sizing: after every change of its text or font the label measures the
//   text as one line, tabs expanded (an empty text as one blank) and takes
//   that size; left and top stay. The host learns the new size through
//   OnResize (and resizes the label itself), else the label resizes itself.
// - Painting: an opaque label fills its rectangle with Color first; a
//   transparent one fills nothing, so what lies below shows between the
//   letters. Text is drawn without a background behind the glyphs.
// - Color follows the window's colour (ParentColorChanged) until it is set.
// - The whole rectangle takes the pointer; a click (left button pressed and
//   released over the label) runs OnClick. Errors from OnClick go to the
//   application's error display.
class TLabel final : public TGraphicControl {
    Q_OBJECT
public:
    explicit TLabel(QWidget *parent = nullptr);
    ~TLabel() override;

    const QString &Caption() const { return caption_; }
    // Same text: nothing. New text: stored, label resized to it, repainted.
    void SetCaption(const QString &caption);

    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    TColor Color() const { return color_; }
    // Sets the label's own colour; it no longer follows the window's.
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void ParentColorChanged(TColor windowColor);

    // The size the text asks for in the current font.
    QSize TextExtent() const;
    // Applies TextExtent through OnResize or by resizing.
    void AdjustBounds();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString caption_;
    TColor fontColor_ = clWindowText;
    TColor color_ = clWindow;
    bool transparent_ = false;
    bool parentColor_ = true;
};
