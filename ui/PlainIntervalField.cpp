#include "ui/PlainIntervalField.h"

#include "base/ErrorReport.h"
#include "base/IntegerText.h"

#include <algorithm>
#include <string_view>

PlainIntervalField::PlainIntervalField(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &PlainIntervalField::UserEdited);
}

PlainIntervalField::~PlainIntervalField() = default;

std::int32_t PlainIntervalField::Value() const
{
    const QByteArray text = this->text().toUtf8();
    return TryStrToInt(std::string_view(text.constData(), std::size_t(text.size())))
        .value_or(minValue_);
}

void PlainIntervalField::SetValue(std::int32_t value)
{
    if (minValue_ != maxValue_)
        value = std::clamp(value, minValue_, maxValue_);
    const QString text = QString::number(value);
    if (text == this->text())
        return;
    writing_ = true;
    setText(text);
    writing_ = false;
    if (onChange_)
        onChange_();
}

void PlainIntervalField::UserEdited()
{
    if (writing_ || !onChange_)
        return;
    const TNotifyEvent handler = onChange_;
    CallGuarded(handler);
}
