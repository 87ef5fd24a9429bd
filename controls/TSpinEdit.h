// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/Beep.h"
#include "controls/SpinEditText.h"
#include "controls/TSpinButton.h"

#include <QLineEdit>
#include <QTimer>

#include <cstdint>
#include <functional>

class QPainter;

// A one-line integer field with an up/down button pair set into its right edge.
//
// The text is the only state. Value reads the text with TryStrToInt and gives
// MinValue for any text that does not convert; writing Value applies the range
// rule, formats the number in plain decimal and replaces the text only when it
// differs. Range rule: when MinValue and MaxValue differ, values are clamped to
// MinValue..MaxValue; when they are equal there is no range at all. It applies
// to every Value write (so to every step) and when the focus leaves the field,
// never to typed text.
//
// OnChange is raised once for every change of the text, whoever makes it:
// typing, deleting, paste, cut, undo, a step, a Value write. For a Value write
// (and so for a step) it is raised right after the text is replaced and its
// errors propagate to the writer; for edits made by the user its errors go to
// HandleException. Nothing raises it before a handler is set.
//
// Typed characters pass a filter: "+", "-", digits, the locale's decimal
// separator and control characters other than carriage return are accepted;
// with EditorEnabled false, characters from code 32 up and backspace are
// refused as well. A refused character beeps and is dropped. Pasted text is
// not filtered. Paste, cut and every other edit by the user are possible only
// while EditorEnabled is true and ReadOnly is false.
//
// The beep is often silent (or missing altogether on some desktops), so every
// refusal that beeps (a refused character, a step on a read-only field) also
// flashes the field's frame in the highlight colour for a moment. The flash is
// paint only: text, selection and focus stay as they are.
class TSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;

    // `arming` arms the spin buttons' repeat timers (TTimer's default when
    // empty); `beep` sounds each refusal (MessageBeep when empty).
    explicit TSpinEdit(QWidget *parent = nullptr, const TTimer::Arming &arming = {}, BeepHandler beep = {});
    ~TSpinEdit() override;

    // Never fails: unreadable text reads as MinValue.
    std::int32_t Value() const;
    // Raises whatever OnChange raises; the text is replaced by then.
    void SetValue(std::int32_t value);

    std::int32_t MinValue() const noexcept { return minValue_; }
    void SetMinValue(std::int32_t value);
    std::int32_t MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(std::int32_t value);

    // The amount of one step (1 by default).
    std::int32_t Increment() const noexcept { return increment_; }
    void SetIncrement(std::int32_t value);

    // Whether the user may edit the text by typing, pasting and cutting (true
    // by default). Steps stay possible when it is false.
    bool EditorEnabled() const noexcept { return editorEnabled_; }
    void SetEditorEnabled(bool value);

    // Read-only text: the user cannot edit it and steps are refused with a
    // beep. Value writes still replace the text (false by default).
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool value);

    // Select the whole text when the focus arrives other than by a left press
    // on the text (true by default).
    bool AutoSelect() const noexcept { return autoSelect_; }
    void SetAutoSelect(bool value);

    // The longest text the user may enter; 0 (the default) means no limit of
    // its own. Whatever it says, the field never holds more than 32767
    // characters: longer text, typed, pasted or written, is cut there.
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int value);

    const TNotifyEvent &OnChange() const noexcept { return onChange_; }
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }

    TSpinButton *Button() const noexcept { return button_; }

    // One step up or down: Value +/- Increment, stopping at the 32-bit limits
    // rather than wrapping. On a read-only field: a beep and nothing else.
    // Raise whatever OnChange raises.
    virtual void UpClick();
    virtual void DownClick();

    // The smallest height at which the text fits the field's font.
    int MinimumFieldHeight() const;

    // How long the frame shows a refusal.
    static constexpr int kRefusalFlashMs = 150;
    // True while the frame shows a refusal.
    bool RefusalShown() const noexcept { return refusalShown_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::int32_t CheckValue(std::int32_t value) const noexcept;
    void Step(std::int64_t delta);
    void RaiseChange();
    void TextChangedByControl();
    // Beeps once for each refused input and shows the refusal on the frame.
    void Refuse(int beeps);
    void EndRefusal();
    SpinEditText::Filtered FilterTyped(const QString &text) const;
    void ApplyEditingState();
    void UpdateMinimumHeight();
    void LayoutButton();
    void PaintPairFrame(QPainter &painter) const;
    void PaintRefusal(QPainter &painter) const;

    TSpinButton *button_;
    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 0;
    std::int32_t increment_ = 1;
    bool editorEnabled_ = true;
    bool readOnly_ = false;
    bool autoSelect_ = true;
    int maxLength_ = 0;
    // Set while Value is written: the write raises OnChange itself.
    bool writingText_ = false;
    bool refusalShown_ = false;
    QTimer refusalTimer_;
    TNotifyEvent onChange_;
    BeepHandler beep_;
};
