// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// A command line as main() receives it, for tests of code that reads argc and
// argv: the program's name first, then the arguments, then a null pointer.

#include <QByteArray>
#include <QStringList>

#include <vector>

class ArgumentVector final {
public:
    explicit ArgumentVector(const QStringList &arguments, const QByteArray &program = "kelvora")
    {
        storage_.push_back(program);
        for (const QString &argument : arguments)
            storage_.push_back(argument.toLocal8Bit());
        for (QByteArray &argument : storage_)
            pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
    }
    ArgumentVector(const ArgumentVector &) = delete;
    ArgumentVector &operator=(const ArgumentVector &) = delete;

    int Count() const { return int(storage_.size()); }
    char **Values() { return pointers_.data(); }

private:
    std::vector<QByteArray> storage_;
    std::vector<char *> pointers_;
};
