// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"
#include "controls/TBltBitmap.h"
#include "controls/TGaugeLook.h"

#include <QFont>
#include <QImage>
#include <QWidget>

// A drawn gauge showing where Progress lies between MinValue and MaxValue as a
// whole-number percentage: as text, as a bar, as a pie, or as a needle on a
// half-elliptic dial. The gauge paints every pixel of its rectangle itself,
// building the picture afresh on each paint (see TGaugePainter), and repaints
// at once when one of its own properties changes.
//
// What the window hosting a gauge does:
// - Creates the gauge as a child widget. Drawn controls that lie over the
//   gauge are sibling widgets created after it, so they stack above it; a
//   repaint at once of the gauge (QWidget::repaint) then repaints them too
//   within the repainted part of the gauge's rectangle, keeping them on top.
//   The pixels outside a partial repaint are those a whole one would give.
// - Gives the gauge its font; LayoutFont() is the one the window's layout
//   names. The text is drawn unsmoothed whatever the font asks for.
// - Calls ParentColorChanged with its own colour once after creating the
//   gauge and again whenever its colour changes.
// - Resizing needs nothing more: every paint takes the current size.
//
// Setters compare first and do nothing for the value already held. Range
// errors raise EInvalidOperation and leave the gauge unchanged. Between
// BeginLoading and EndLoading (applying a stored layout) the range checks are
// skipped and values are taken as they stand. Use from the GUI thread only.
class TGauge final : public QWidget {
    Q_OBJECT
public:
    // `allocate` makes the off-screen images each paint draws on (QImage's
    // own when empty); a paint whose image cannot be made is reported and
    // made good by the next one.
    explicit TGauge(QWidget *parent = nullptr, ImageAllocator allocate = {});
    ~TGauge() override;

    int MinValue() const { return minValue_; }
    // Raises EInvalidOperation when above MaxValue (not while loading);
    // raises Progress to the new value if it lay below. Repaints at once.
    void SetMinValue(int value);

    int MaxValue() const { return maxValue_; }
    // Raises EInvalidOperation when below MinValue (not while loading);
    // lowers Progress to the new value if it lay above. Repaints at once.
    void SetMaxValue(int value);

    int Progress() const { return progress_; }
    // Clamps into [MinValue, MaxValue]; repaints at once only when
    // PercentComplete changes with it, and then only what changed: the old
    // and new needles and texts of a needle gauge (the whole of other kinds).
    void SetProgress(int value);

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind value);
    bool ShowText() const { return showText_; }
    void SetShowText(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor value);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value);

    // The gauge's own colour, shown around the dial. Setting it ends
    // following the parent (ParentColor becomes false) and schedules a
    // repaint.
    TColor Color() const { return color_; }
    void SetColor(TColor value);

    // While true, Color follows the parent's colour. Setting it to true takes
    // the parent's last reported colour at once.
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    // The host reports its colour; taken as Color while ParentColor is true.
    void ParentColorChanged(TColor parentColor);

    // (Progress - MinValue) * 100 / (MaxValue - MinValue), truncated toward
    // zero; 0 for an empty range.
    int PercentComplete() const;

    // Marks the application of a stored layout: range checks are off until
    // EndLoading.
    void BeginLoading() { loading_ = true; }
    void EndLoading() { loading_ = false; }
    bool Loading() const { return loading_; }

    // The gauge's properties as one paint sees them.
    TGaugeLook Look() const;
    // The picture a paint would show now (an empty image for a zero size).
    // Raises EOutOfResources when an off-screen image cannot be made.
    QImage Render() const;

    // Bold sans-serif whose characters are 32 pixels high, internal leading
    // not counted: the font the window's layout gives the gauge.
    static QFont LayoutFont();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void RepaintNow();

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TGaugeKind kind_ = gkHorizontalBar;
    bool showText_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    TColor parentsColor_ = clWindow;
    bool loading_ = false;
    // A paint failed: what is on the screen may lag behind, so the next
    // change repaints the whole gauge rather than what it changed.
    bool shownStale_ = false;
    ImageAllocator allocate_;
};
