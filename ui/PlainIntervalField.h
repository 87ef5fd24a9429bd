#pragma once

#include <QLineEdit>

#include <cstdint>
#include <functional>

// A plain one-line interval field with the spin field's programming
// interface: Value reads the text by the integer text syntax (MinValue when
// unreadable) and every change of the text runs OnChange (errors from user
// edits go to the application's error display, those from a Value write to
// the writer).
class PlainIntervalField final : public QLineEdit {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;

    explicit PlainIntervalField(QWidget *parent = nullptr);
    ~PlainIntervalField() override;

    std::int32_t Value() const;
    void SetValue(std::int32_t value);

    std::int32_t MinValue() const noexcept { return minValue_; }
    void SetMinValue(std::int32_t value) { minValue_ = value; }
    std::int32_t MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(std::int32_t value) { maxValue_ = value; }

    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }

private:
    void UserEdited();

    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 0;
    bool writing_ = false;
    TNotifyEvent onChange_;
};
