// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/SqliteDatabase.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

// Opening the history file, with every refusal as one line and the file left
// as it was: nothing is written to a file that is not SQLite, is damaged,
// belongs to another program or was written by a newer Kelvora. A file (and
// folder) this code creates gets mode 0600 (0700); an existing one keeps
// its own.

enum class HistoryProblem {
    Missing,       // reading: there is no such file
    Empty,         // reading: the file holds no history yet
    MissingFolder, // the folder to create the file in does not exist
    NotRegular,    // a directory, device, pipe, ...
    NotSqlite,     // not an SQLite database
    Damaged,       // an SQLite database that cannot be read as one
    Foreign,       // another program's SQLite database
    Newer,         // a history schema newer than this program knows
    ReadOnly,      // the file or its folder cannot be written
    Full,          // the disk (or the file system's quota) is full
    Locked,        // another program keeps it locked
    Other,         // any other failure of the file system
};

class HistoryFileError final : public std::runtime_error {
public:
    // `line` is one line without a line break, starting with the path.
    HistoryFileError(HistoryProblem problem, const std::string &line);
    HistoryProblem Problem() const noexcept { return problem_; }

private:
    HistoryProblem problem_;
};

enum class HistoryOpenMode {
    Read,                // an existing file, for reading only
    Write,               // creates the file when missing, in an existing folder
    WriteCreatingFolder, // also creates the missing folders (mode 0700)
};

// How long a statement waits for another program's lock before it gives up.
inline constexpr std::chrono::milliseconds kHistoryBusyTimeout{1000};

// Opens `file` as a history, upgrading an older schema in place when
// writing. Throws HistoryFileError. A file created here and left empty by a
// failure (a full disk, say) is removed again; nothing else is ever removed.
SqliteDatabase OpenHistoryFile(const std::filesystem::path &file, HistoryOpenMode mode);

// Removes the file with its write-ahead log and shared-memory index, for a
// user who asks to forget the history; the caller has closed every
// connection it holds. True when none of them is left; otherwise `error`
// says why in one line.
bool RemoveHistoryFile(const std::filesystem::path &file, std::string *error);

// The bytes the file and its write-ahead log take on disk (0 for what is
// missing).
std::uint64_t HistoryFileBytes(const std::filesystem::path &file);

// The refusal for an SQLite error met while using an open history file.
HistoryFileError HistoryErrorOf(const std::filesystem::path &file, const SqliteError &error);
