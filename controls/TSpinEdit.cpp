// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TSpinEdit.h"

#include "base/ErrorReport.h"
#include "controls/SpinEditText.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// The sunken 3D border is two pixels wide on every side; the button pair and
// the text area are placed in the client area inside it.
constexpr int kBorder = 2;
// Height of a thin window border line.
constexpr int kBorderLine = 1;
constexpr int kButtonWidth = 15;
constexpr int kButtonHeight = 17;

// The most the field ever holds, whatever MaxLength says: the usual limit of
// a single-line field. The edit control's cost grows with its text (layout on
// every repaint, one undo entry per character), so without it one huge paste
// stalls every cursor blink and keeps a large undo history.
constexpr int kFieldLimit = 32767;

} // namespace

TSpinEdit::TSpinEdit(QWidget *parent, const TTimer::Arming &arming, BeepHandler beep)
    : QLineEdit(parent), button_(new TSpinButton(this, arming)),
      beep_(beep ? std::move(beep) : BeepHandler(MessageBeep))
{
    setText(QStringLiteral("0"));
    QLineEdit::setMaxLength(kFieldLimit);
    button_->resize(kButtonWidth, kButtonHeight);
    button_->SetFocusControl(this);
    button_->SetOnUpClick([this] { UpClick(); });
    button_->SetOnDownClick([this] { DownClick(); });
    connect(this, &QLineEdit::textChanged, this, [this] { TextChangedByControl(); });
    refusalTimer_.setSingleShot(true);
    refusalTimer_.setInterval(kRefusalFlashMs);
    connect(&refusalTimer_, &QTimer::timeout, this, [this] { EndRefusal(); });
    UpdateMinimumHeight();
    LayoutButton();
}

TSpinEdit::~TSpinEdit() = default;

std::int32_t TSpinEdit::Value() const
{
    return SpinEditText::ReadValue(text(), minValue_);
}

std::int32_t TSpinEdit::CheckValue(std::int32_t value) const noexcept
{
    return SpinEditText::ApplyRange(value, minValue_, maxValue_);
}

void TSpinEdit::SetValue(std::int32_t value)
{
    const QString newText = QString::number(CheckValue(value));
    if (newText == text())
        return;
    {
        const QScopedValueRollback writing(writingText_, true);
        setText(newText);
    }
    RaiseChange();
}

void TSpinEdit::SetMinValue(std::int32_t value)
{
    minValue_ = value;
}

void TSpinEdit::SetMaxValue(std::int32_t value)
{
    maxValue_ = value;
}

void TSpinEdit::SetIncrement(std::int32_t value)
{
    increment_ = value;
}

void TSpinEdit::SetEditorEnabled(bool value)
{
    if (value == editorEnabled_)
        return;
    editorEnabled_ = value;
    ApplyEditingState();
}

void TSpinEdit::SetReadOnly(bool value)
{
    if (value == readOnly_)
        return;
    readOnly_ = value;
    ApplyEditingState();
}

void TSpinEdit::ApplyEditingState()
{
    // The edit control itself refuses every user edit (deleting, undo, paste,
    // cut, drops) unless the text is both editable and writable.
    QLineEdit::setReadOnly(readOnly_ || !editorEnabled_);
}

void TSpinEdit::SetAutoSelect(bool value)
{
    autoSelect_ = value;
}

void TSpinEdit::SetMaxLength(int value)
{
    if (value == maxLength_)
        return;
    maxLength_ = value;
    QLineEdit::setMaxLength(value > 0 ? std::min(value, kFieldLimit) : kFieldLimit);
}

void TSpinEdit::UpClick()
{
    Step(increment_);
}

void TSpinEdit::DownClick()
{
    Step(-std::int64_t(increment_));
}

void TSpinEdit::Step(std::int64_t delta)
{
    if (readOnly_) {
        Refuse(1);
        return;
    }
    SetValue(SpinEditText::Stepped(Value(), delta));
}

void TSpinEdit::Refuse(int beeps)
{
    if (beeps <= 0)
        return;
    for (int i = 0; i < beeps; ++i)
        beep_();
    refusalShown_ = true;
    refusalTimer_.start(); // a refusal while one is shown lengthens it
    update();
}

void TSpinEdit::EndRefusal()
{
    refusalShown_ = false;
    update();
}

void TSpinEdit::RaiseChange()
{
    if (onChange_) {
        // Copy: the handler may replace itself while it runs.
        const TNotifyEvent handler = onChange_;
        handler();
    }
}

void TSpinEdit::TextChangedByControl()
{
    if (writingText_)
        return;
    CallGuarded([this] { RaiseChange(); });
}

SpinEditText::Filtered TSpinEdit::FilterTyped(const QString &text) const
{
    return SpinEditText::FilterTyped(text, editorEnabled_, QLocale().decimalPoint());
}

void TSpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        // The step comes first; the key then goes on to the edit control.
        CallGuarded([this, up = event->key() == Qt::Key_Up] { up ? UpClick() : DownClick(); });
        QLineEdit::keyPressEvent(event);
        return;
    }
    SpinEditText::Filtered typed;
    CallGuarded([&] {
        typed = FilterTyped(SpinEditText::TypedCharacters(*event));
        Refuse(typed.refused);
    });
    if (typed.refused == 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (typed.accepted.isEmpty())
        return;
    QKeyEvent filtered(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), typed.accepted,
                       event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&filtered);
}

void TSpinEdit::inputMethodEvent(QInputMethodEvent *event)
{
    SpinEditText::Filtered typed;
    CallGuarded([&] {
        typed = FilterTyped(event->commitString());
        Refuse(typed.refused);
    });
    if (typed.refused == 0) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(typed.accepted, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void TSpinEdit::focusInEvent(QFocusEvent *event)
{
    const bool hadSelection = hasSelectedText();
    QLineEdit::focusInEvent(event);
    if (!autoSelect_) {
        // The line edit selects everything on Tab by itself.
        if (!hadSelection)
            deselect();
        return;
    }
    // A pop-up closing hands the focus back; the field was never left. A left
    // press on the text places the cursor right after this and so clears the
    // selection again.
    if (event->reason() != Qt::PopupFocusReason)
        selectAll();
}

void TSpinEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    CallGuarded([this] {
        const std::int32_t value = Value();
        if (CheckValue(value) != value)
            SetValue(value);
    });
}

int TSpinEdit::MinimumFieldHeight() const
{
    const int fieldFont = QFontMetrics(font()).height();
    const int screenFont =
        QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    return fieldFont + std::min(fieldFont, screenFont) / 4 + 4 * kBorderLine + 2;
}

void TSpinEdit::UpdateMinimumHeight()
{
    // Qt raises any lower height to this minimum, which then resizes the field.
    setMinimumHeight(MinimumFieldHeight());
}

void TSpinEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    CallGuarded([this] { LayoutButton(); });
}

void TSpinEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        CallGuarded([this] {
            UpdateMinimumHeight();
            LayoutButton();
        });
}

void TSpinEdit::LayoutButton()
{
    if (height() < MinimumFieldHeight())
        return; // the minimum height resizes the field; the layout follows then
    const int pairWidth = button_->width();
    const int border = hasFrame() ? kBorder : 0;
    const int clientWidth = width() - 2 * border;
    if (hasFrame())
        button_->setGeometry(border + width() - pairWidth - 5, border, pairWidth, height() - 5);
    else
        button_->setGeometry(width() - pairWidth, 1, pairWidth, height() - 3);

    // Keep the text left of the buttons and the frame drawn around them.
    const int textRight = border + clientWidth - pairWidth - 2;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    setTextMargins(0, 0, std::max(0, contents.right() + 1 - textRight), 0);
}

void TSpinEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // A caret blink repaints only the caret's rectangle: leave the rest
    // alone, the pair's frame included, unless the repaint reaches it.
    const bool pairFrame =
        button_->isVisible() && event->rect().intersects(button_->geometry().adjusted(-1, -1, 1, 1));
    if (!pairFrame && !refusalShown_)
        return;
    QPainter painter(this);
    if (pairFrame)
        PaintPairFrame(painter);
    if (refusalShown_)
        PaintRefusal(painter);
}

void TSpinEdit::PaintPairFrame(QPainter &painter) const
{
    // A sunken one-pixel frame just outside the button pair, within the
    // client area: the field's own border stays as it is above the pair.
    painter.save();
    const int border = hasFrame() ? kBorder : 0;
    painter.setClipRect(rect().adjusted(border, border, -border, -border));
    const QRect frame = button_->geometry().adjusted(-1, -1, 1, 1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(frame.left(), frame.top(), frame.right() - 1, frame.top());
    painter.drawLine(frame.left(), frame.top(), frame.left(), frame.bottom() - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(frame.left(), frame.bottom(), frame.right(), frame.bottom());
    painter.drawLine(frame.right(), frame.top(), frame.right(), frame.bottom());
    painter.restore();
}

void TSpinEdit::PaintRefusal(QPainter &painter) const
{
    // The border's width all round (without a border, as wide over the edge
    // of the text area), so the flash reads as the frame lighting up.
    const QColor color = palette().color(QPalette::Highlight);
    const QRect all = rect();
    painter.fillRect(QRect(all.left(), all.top(), all.width(), kBorder), color);
    painter.fillRect(QRect(all.left(), all.bottom() - kBorder + 1, all.width(), kBorder), color);
    painter.fillRect(QRect(all.left(), all.top(), kBorder, all.height()), color);
    painter.fillRect(QRect(all.right() - kBorder + 1, all.top(), kBorder, all.height()), color);
}
