// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"

#include <QWidget>

#include <cstdint>

class QProgressBar;

// A progress bar: a native bar inside a ring of BorderWidth pixels filled
// with the control's colour, which follows the window's.
//
// - Min, Max and Position are signed 32-bit (defaults 0, 100, 0).
// - Writing Max below Min (or Min above Max) raises EInvalidOperation
//   "TProgressBar property out of range" and changes nothing; writing the
//   value held does nothing; otherwise the native bar gets the new range.
// - Max and Position are read back from the native bar.
// - Position is kept within the range, as the native bar does.
// - No percentage text; a continuous (smooth) bar; never takes the focus.
class TProgressBar final : public QWidget {
    Q_OBJECT
public:
    explicit TProgressBar(QWidget *parent = nullptr);
    ~TProgressBar() override;

    std::int32_t Min() const;
    void SetMin(std::int32_t value);
    std::int32_t Max() const;
    void SetMax(std::int32_t value);
    std::int32_t Position() const;
    void SetPosition(std::int32_t value);

    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);

    TColor Color() const { return color_; }
    void ParentColorChanged(TColor windowColor);

    QProgressBar *NativeBar() const { return bar_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void SetRange(std::int32_t min, std::int32_t max);
    void PlaceBar();

    QProgressBar *bar_;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    int borderWidth_ = 0;
    TColor color_ = clWindow;
};
