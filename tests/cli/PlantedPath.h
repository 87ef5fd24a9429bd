// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QString>

// What someone who may write to a folder could leave at the path of a
// metrics file, in a folder of the test's own: a link to a victim's file
// (which holds kVictimText), a link to nowhere, or a fifo.
class PlantedPath final {
public:
    enum class Kind { LinkToVictim, DanglingLink, Fifo };
    static constexpr char kVictimText[] = "precious\n";

    PlantedPath(const QString &folder, Kind kind);

    bool IsValid() const { return valid_; }
    QString Path() const { return path_; }
    // The victim's file still holds kVictimText, and the path is what was
    // planted there (same inode and type).
    bool Untouched() const;

private:
    QString path_;
    QString victim_;
    unsigned long inode_ = 0;
    unsigned mode_ = 0;
    bool valid_ = false;
};

// The whole content of a file, or "<unreadable>".
QByteArray FileContents(const QString &path);
