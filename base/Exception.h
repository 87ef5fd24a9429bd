// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <exception>
#include <string>

// The root of every error the program raises. Each error carries a message
// text (UTF-8) and names its own class, which the start-up failure box shows.
class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    ~Exception() override;

    const std::string &Message() const noexcept { return message_; }
    const char *what() const noexcept override { return message_.c_str(); }
    virtual const char *ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

// Declares an error class with its base and the name it reports.
#define KELVORA_DECLARE_EXCEPTION(Name, Base)                                 \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        const char *ClassName() const noexcept override { return #Name; }     \
    }

// A text that does not convert (strict integer syntax).
KELVORA_DECLARE_EXCEPTION(EConvertError, Exception);
// A property write or call that the object's state does not allow.
KELVORA_DECLARE_EXCEPTION(EInvalidOperation, Exception);
// The platform could not supply a resource (a timer, an image).
KELVORA_DECLARE_EXCEPTION(EOutOfResources, Exception);

// The class name of any error: ours report their own, others are "Exception"
// for std::exception and "Unknown" for anything else.
const char *ExceptionClassName(const std::exception &error) noexcept;
