// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A small owning wrapper of SQLite's C API: one connection, its prepared
// statements and its transactions. Every failure throws SqliteError with
// SQLite's extended result code and message; nothing is retried here
// (the busy time-out is SQLite's own). Not thread-safe: one thread per
// connection, as the history uses it.

class SqliteError final : public std::runtime_error {
public:
    SqliteError(int code, const std::string &message);

    // SQLite's extended result code (SQLITE_BUSY, SQLITE_CORRUPT, ...).
    int Code() const noexcept { return code_; }
    // The primary code (the low byte of the extended one).
    int Primary() const noexcept { return code_ & 0xff; }
    // Another connection holds the lock (SQLITE_BUSY or SQLITE_LOCKED).
    bool Busy() const noexcept;

private:
    int code_;
};

class SqliteStatement final {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3 *db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Parameters are numbered from 1. Text and blobs are copied.
    SqliteStatement &Bind(int index, std::int64_t value);
    SqliteStatement &Bind(int index, double value);
    SqliteStatement &Bind(int index, std::string_view text);
    SqliteStatement &BindBlob(int index, std::span<const std::uint8_t> bytes);
    SqliteStatement &BindNull(int index);

    // True when a row is ready to read, false when the statement is done.
    bool Step();
    // Steps to the end; for statements that return no rows.
    void Run();
    // Ready to run again, with every parameter unbound.
    void Reset();

    // Columns are numbered from 0, as in SQLite.
    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    double Double(int column) const;
    std::string Text(int column) const;
    std::vector<std::uint8_t> Blob(int column) const;

private:
    void Check(int rc) const;

    sqlite3 *db_ = nullptr;
    sqlite3_stmt *statement_ = nullptr;
};

class SqliteDatabase final {
public:
    enum class Access { ReadOnly, ReadWrite, ReadWriteCreate };

    // Opens `path` (no URI, no shared cache, the full-mutex mode off).
    // Throws SqliteError when SQLite cannot open it; whether the file is a
    // database at all shows with the first statement that reads it.
    SqliteDatabase(const std::string &path, Access access);
    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase &&other) noexcept;
    SqliteDatabase &operator=(SqliteDatabase &&other) noexcept;
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    // Runs one or more statements that return nothing wanted.
    void Execute(std::string_view sql);
    SqliteStatement Prepare(std::string_view sql);
    // The first column of the first row of a one-value query (0 without a
    // row), for PRAGMAs and counts.
    std::int64_t QueryInt(std::string_view sql);

    void SetBusyTimeout(std::chrono::milliseconds timeout);
    // Whether the main database was opened (or fell back to) read-only.
    bool ReadOnly() const;
    std::int64_t LastInsertRowId() const;
    int Changes() const;
    sqlite3 *Handle() const noexcept { return db_; }

private:
    void Close() noexcept;

    sqlite3 *db_ = nullptr;
};

// BEGIN IMMEDIATE on construction, so a writer takes the lock before it
// reads (in WAL mode an upgrade from a read to a write lock can fail at
// once, without the busy time-out); ROLLBACK on destruction unless Commit()
// was called. A reading transaction (BEGIN) sees one snapshot of the file
// from its first read to its end, whatever other programs write meanwhile.
class SqliteTransaction final {
public:
    enum class Kind { Write, Read };

    explicit SqliteTransaction(SqliteDatabase &db, Kind kind = Kind::Write);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction &) = delete;
    SqliteTransaction &operator=(const SqliteTransaction &) = delete;

    void Commit();

private:
    SqliteDatabase &db_;
    bool open_ = true;
};
