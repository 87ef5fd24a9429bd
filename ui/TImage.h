// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "ui/TGraphicControl.h"

#include <QImage>
#include <QPixmap>

// A drawn picture, shown unscaled at the control's top-left corner.
//
// - AutoSize: whenever the picture changes, the control takes the picture's
//   size (left and top stay), through OnResize when the host set one.
// - Transparent: pixels of the picture's lower-left pixel colour are not
//   drawn, so what lies below shows through; the control never counts as
//   opaque.
// - The whole rectangle takes the pointer, transparent parts included; a
//   click (left button pressed and released over it) runs OnClick, whose
//   errors go to the application's error display.
class TImage final : public TGraphicControl {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);
    ~TImage() override;

    const QImage &Picture() const { return picture_; }
    void SetPicture(const QImage &picture);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // The colour that Transparent leaves out: the lower-left pixel's.
    QColor TransparentColor() const;


protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void RebuildPixmap();
    void ApplyAutoSize();

    QImage picture_;
    QPixmap shown_;
    bool autoSize_ = false;
    bool transparent_ = false;
};
