// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/SqliteDatabase.h"

#include <sqlite3.h>

#include <climits>
#include <utility>

namespace {

std::string MessageOf(sqlite3 *db, int rc)
{
    if (db != nullptr && sqlite3_errcode(db) == rc)
        return sqlite3_errmsg(db);
    return sqlite3_errstr(rc);
}

int OpenFlags(SqliteDatabase::Access access)
{
    switch (access) {
    case SqliteDatabase::Access::ReadOnly: return SQLITE_OPEN_READONLY;
    case SqliteDatabase::Access::ReadWrite: return SQLITE_OPEN_READWRITE;
    case SqliteDatabase::Access::ReadWriteCreate: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return SQLITE_OPEN_READONLY;
}

int Length(std::size_t size)
{
    if (size > static_cast<std::size_t>(INT_MAX))
        throw SqliteError(SQLITE_TOOBIG, "a value is too large for SQLite");
    return static_cast<int>(size);
}

} // namespace

SqliteError::SqliteError(int code, const std::string &message)
    : std::runtime_error(message)
    , code_(code)
{
}

bool SqliteError::Busy() const noexcept
{
    return Primary() == SQLITE_BUSY || Primary() == SQLITE_LOCKED;
}

SqliteStatement::SqliteStatement(sqlite3 *db, std::string_view sql)
    : db_(db)
{
    const int rc = sqlite3_prepare_v3(db, sql.data(), Length(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement_,
                                      nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = MessageOf(db, rc);
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        throw SqliteError(sqlite3_extended_errcode(db), message);
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : db_(std::exchange(other.db_, nullptr))
    , statement_(std::exchange(other.statement_, nullptr))
{
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(statement_);
        db_ = std::exchange(other.db_, nullptr);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

void SqliteStatement::Check(int rc) const
{
    if (rc != SQLITE_OK)
        throw SqliteError(sqlite3_extended_errcode(db_), MessageOf(db_, rc));
}

SqliteStatement &SqliteStatement::Bind(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SqliteStatement &SqliteStatement::Bind(int index, double value)
{
    Check(sqlite3_bind_double(statement_, index, value));
    return *this;
}

SqliteStatement &SqliteStatement::Bind(int index, std::string_view text)
{
    Check(sqlite3_bind_text(statement_, index, text.data(), Length(text.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement &SqliteStatement::BindBlob(int index, std::span<const std::uint8_t> bytes)
{
    // A zero-length blob still binds as a blob, not as NULL.
    static const std::uint8_t empty = 0;
    const void *data = bytes.empty() ? &empty : bytes.data();
    Check(sqlite3_bind_blob(statement_, index, data, Length(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement &SqliteStatement::BindNull(int index)
{
    Check(sqlite3_bind_null(statement_, index));
    return *this;
}

bool SqliteStatement::Step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const int code = sqlite3_extended_errcode(db_);
    const std::string message = MessageOf(db_, code);
    sqlite3_reset(statement_);
    throw SqliteError(code, message);
}

void SqliteStatement::Run()
{
    while (Step()) {
    }
    sqlite3_reset(statement_);
}

void SqliteStatement::Reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool SqliteStatement::IsNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::Double(int column) const
{
    return sqlite3_column_double(statement_, column);
}

std::string SqliteStatement::Text(int column) const
{
    const auto *text = sqlite3_column_text(statement_, column);
    if (text == nullptr)
        return {};
    return std::string(reinterpret_cast<const char *>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::vector<std::uint8_t> SqliteStatement::Blob(int column) const
{
    const auto *data = static_cast<const std::uint8_t *>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr || size <= 0)
        return {};
    return std::vector<std::uint8_t>(data, data + size);
}

SqliteDatabase::SqliteDatabase(const std::string &path, Access access)
{
    const int rc = sqlite3_open_v2(path.c_str(), &db_, OpenFlags(access) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db_ != nullptr ? sqlite3_extended_errcode(db_) : rc;
        const std::string message = MessageOf(db_, rc);
        Close();
        throw SqliteError(code, message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    Close();
}

SqliteDatabase::SqliteDatabase(SqliteDatabase &&other) noexcept
    : db_(std::exchange(other.db_, nullptr))
{
}

SqliteDatabase &SqliteDatabase::operator=(SqliteDatabase &&other) noexcept
{
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void SqliteDatabase::Close() noexcept
{
    // Statements are owned by their holders and finalized before this.
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void SqliteDatabase::Execute(std::string_view sql)
{
    const std::string text(sql);
    char *error = nullptr;
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error != nullptr ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw SqliteError(sqlite3_extended_errcode(db_), message);
    }
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql)
{
    return SqliteStatement(db_, sql);
}

std::int64_t SqliteDatabase::QueryInt(std::string_view sql)
{
    SqliteStatement statement(db_, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

void SqliteDatabase::SetBusyTimeout(std::chrono::milliseconds timeout)
{
    const auto ms = timeout.count() > INT_MAX ? INT_MAX : static_cast<int>(timeout.count());
    sqlite3_busy_timeout(db_, ms);
}

bool SqliteDatabase::ReadOnly() const
{
    return sqlite3_db_readonly(db_, "main") == 1;
}

std::int64_t SqliteDatabase::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(db_);
}

int SqliteDatabase::Changes() const
{
    return sqlite3_changes(db_);
}

SqliteTransaction::SqliteTransaction(SqliteDatabase &db, Kind kind)
    : db_(db)
{
    db_.Execute(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

SqliteTransaction::~SqliteTransaction()
{
    if (!open_)
        return;
    try {
        db_.Execute("ROLLBACK");
    } catch (const SqliteError &) {
        // SQLite may already have rolled back (after a full disk, say).
    }
}

void SqliteTransaction::Commit()
{
    db_.Execute("COMMIT");
    open_ = false;
}
