// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryFile.h"

#include "history/HistorySchema.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace {

std::string Line(const std::filesystem::path &file, const std::string &what)
{
    return file.string() + ": " + what;
}

[[noreturn]] void Refuse(const std::filesystem::path &file, HistoryProblem problem, const std::string &what)
{
    throw HistoryFileError(problem, Line(file, what));
}

HistoryProblem ProblemOfErrno(int error)
{
    switch (error) {
    case ENOENT: case ENOTDIR: return HistoryProblem::MissingFolder;
    case EACCES: case EPERM: case EROFS: return HistoryProblem::ReadOnly;
    case ENOSPC: case EDQUOT: return HistoryProblem::Full;
    default: return HistoryProblem::Other;
    }
}

// Creates each missing folder of `folder` with mode 0700.
void MakeFolders(const std::filesystem::path &file, const std::filesystem::path &folder)
{
    std::filesystem::path built;
    for (const auto &part : folder) {
        built /= part;
        if (::mkdir(built.c_str(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            Refuse(file, ProblemOfErrno(error), "cannot create the folder " + built.string() + ": " + std::strerror(error));
        }
    }
}

// Creates an empty file with mode 0600; false when it exists already.
bool CreateEmptyFile(const std::filesystem::path &file)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            return false;
        const HistoryProblem problem = ProblemOfErrno(error);
        Refuse(file, problem, problem == HistoryProblem::MissingFolder ? "no such folder" : std::strerror(error));
    }
    ::fchmod(fd, 0600); // whatever the umask left
    ::close(fd);
    return true;
}

// Whether `file` exists; refuses what is there but no regular file.
bool ExistingRegularFile(const std::filesystem::path &file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return false;
        const HistoryProblem problem = ProblemOfErrno(error);
        Refuse(file, problem, problem == HistoryProblem::MissingFolder ? "no such folder" : std::strerror(error));
    }
    if (!S_ISREG(status.st_mode))
        Refuse(file, HistoryProblem::NotRegular, "not a regular file");
    return true;
}

// Reads the file without writing to it, and refuses what must not be
// touched. True when it holds nothing yet (a new, empty database).
bool InspectReadOnly(const std::filesystem::path &file)
{
    try {
        SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
        db.SetBusyTimeout(kHistoryBusyTimeout);
        // One snapshot for every figure read: another program may be making
        // the file a history at this very moment, and a mix of its state
        // before and after (no application id yet, but tables already)
        // would read as another program's database.
        SqliteTransaction snapshot(db, SqliteTransaction::Kind::Read);
        const auto application = db.QueryInt("PRAGMA application_id");
        const auto version = db.QueryInt("PRAGMA user_version");
        const auto objects = db.QueryInt("SELECT count(*) FROM sqlite_schema");
        if (application != kHistoryApplicationId && (application != 0 || objects > 0 || version != 0))
            Refuse(file, HistoryProblem::Foreign, "another program's SQLite database, not a Kelvora history");
        if (version > kHistorySchemaVersion)
            Refuse(file, HistoryProblem::Newer,
                   "written by a newer Kelvora (history schema " + std::to_string(version) + "; this one knows up to "
                       + std::to_string(kHistorySchemaVersion) + ")");
        // A page of the schema that cannot be read shows here; a damage
        // further in shows when that page is read or written.
        if (objects > 0)
            db.QueryInt("SELECT count(*) FROM runs");
        snapshot.Commit();
        return objects == 0;
    } catch (const SqliteError &error) {
        throw HistoryErrorOf(file, error);
    }
}

void Configure(SqliteDatabase &db, bool fresh)
{
    db.SetBusyTimeout(kHistoryBusyTimeout);
    if (fresh) {
        // Only before the first table: lets pruning give pages back.
        db.Execute("PRAGMA auto_vacuum = INCREMENTAL");
    }
    SqliteStatement mode = db.Prepare("PRAGMA journal_mode = WAL");
    if (!mode.Step() || mode.Text(0) != "wal")
        throw SqliteError(SQLITE_IOERR, "the file cannot be kept in WAL mode");
    db.Execute("PRAGMA synchronous = NORMAL; PRAGMA journal_size_limit = 4194304; PRAGMA temp_store = MEMORY");
}

} // namespace

HistoryFileError::HistoryFileError(HistoryProblem problem, const std::string &line)
    : std::runtime_error(line)
    , problem_(problem)
{
}

bool RemoveHistoryFile(const std::filesystem::path &file, std::string *error)
{
    // The log first: a database without its log is whole, a log without its
    // database is nothing.
    for (const char *suffix : {"-wal", "-shm", ""}) {
        const std::string path = file.string() + suffix;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            if (error != nullptr)
                *error = Line(path, std::strerror(errno));
            return false;
        }
    }
    return true;
}

std::uint64_t HistoryFileBytes(const std::filesystem::path &file)
{
    std::uint64_t total = 0;
    for (const char *suffix : {"", "-wal"}) {
        struct stat status {};
        if (::stat((file.string() + suffix).c_str(), &status) == 0)
            total += static_cast<std::uint64_t>(status.st_size);
    }
    return total;
}

HistoryFileError HistoryErrorOf(const std::filesystem::path &file, const SqliteError &error)
{
    const std::string detail = error.what();
    switch (error.Primary()) {
    case SQLITE_NOTADB: return {HistoryProblem::NotSqlite, Line(file, "not an SQLite database")};
    case SQLITE_CORRUPT: return {HistoryProblem::Damaged, Line(file, "damaged (" + detail + ")")};
    case SQLITE_READONLY: return {HistoryProblem::ReadOnly, Line(file, "read-only (" + detail + ")")};
    case SQLITE_PERM: case SQLITE_AUTH: return {HistoryProblem::ReadOnly, Line(file, "access denied")};
    case SQLITE_CANTOPEN: return {HistoryProblem::ReadOnly, Line(file, "cannot be opened (" + detail + ")")};
    case SQLITE_FULL: return {HistoryProblem::Full, Line(file, "the disk is full")};
    case SQLITE_BUSY: case SQLITE_LOCKED: return {HistoryProblem::Locked, Line(file, "locked by another program")};
    default: return {HistoryProblem::Other, Line(file, detail)};
    }
}

SqliteDatabase OpenHistoryFile(const std::filesystem::path &file, HistoryOpenMode mode)
{
    bool created = false;
    if (!ExistingRegularFile(file)) {
        if (mode == HistoryOpenMode::Read)
            Refuse(file, HistoryProblem::Missing, "no such file");
        if (mode == HistoryOpenMode::WriteCreatingFolder && file.has_parent_path())
            MakeFolders(file, file.parent_path());
        created = CreateEmptyFile(file);
    }
    const bool fresh = InspectReadOnly(file);
    if (mode == HistoryOpenMode::Read) {
        if (fresh)
            Refuse(file, HistoryProblem::Empty, "holds no history yet");
        try {
            SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadOnly);
            db.SetBusyTimeout(kHistoryBusyTimeout);
            return db;
        } catch (const SqliteError &error) {
            throw HistoryErrorOf(file, error);
        }
    }
    try {
        SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadWrite);
        if (db.ReadOnly())
            Refuse(file, HistoryProblem::ReadOnly, "read-only");
        Configure(db, fresh);
        UpgradeHistorySchema(db);
        return db;
    } catch (const SqliteError &error) {
        std::error_code ignored;
        if (created && std::filesystem::file_size(file, ignored) == 0)
            std::filesystem::remove(file, ignored);
        throw HistoryErrorOf(file, error);
    }
}
