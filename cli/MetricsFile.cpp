// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/MetricsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Folder(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Name(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Failure(const std::string &path, int error)
{
    return path + ": " + std::strerror(error);
}

// What a path names, when it is not a regular file.
const char *Kind(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a fifo";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::string NotRegular(const std::string &path, mode_t mode)
{
    return path + ": names " + Kind(mode) + ", not a regular file";
}

class RealFileSystem final : public MetricsFile::FileSystem {
public:
    int MakeTemporary(std::string &pathTemplate) override { return ::mkostemp(pathTemplate.data(), O_CLOEXEC); }
    bool WriteAll(int fd, std::string_view text) override
    {
        while (!text.empty()) {
            const ssize_t written = ::write(fd, text.data(), text.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            text.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }
    int StatPath(const std::string &path, struct stat &info) override { return ::lstat(path.c_str(), &info); }
    int SetMode(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
    int SetOwner(int fd, uid_t owner, gid_t group) override { return ::fchown(fd, owner, group); }
    int Sync(int fd) override { return ::fsync(fd); }
    int Close(int fd) override { return ::close(fd); }
    int Rename(const std::string &from, const std::string &to) override { return ::rename(from.c_str(), to.c_str()); }
    int Unlink(const std::string &path) override { return ::unlink(path.c_str()); }
    int SyncFolder(const std::string &folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        const int synced = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        errno = error;
        return synced;
    }
    mode_t Umask() override
    {
        // umask can only be read by setting it; the file is made before any
        // other thread of this program could create a file meanwhile.
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mask;
    }
};

} // namespace

MetricsFile::FileSystem &MetricsFile::FileSystem::Real()
{
    static RealFileSystem real;
    return real;
}

MetricsFile::MetricsFile(std::string path, FileSystem &fileSystem)
    : path_(std::move(path)), folder_(Folder(path_)), fileSystem_(fileSystem), newFileMode_(0644 & ~fileSystem.Umask())
{
    temporaryTemplate_ = (path_.find('/') == std::string::npos ? std::string() : folder_ + "/") + "." + Name(path_)
                         + ".XXXXXX";
}

bool MetricsFile::Replace(std::string_view text, std::string *error)
{
    Heir heir;
    if (!Inherit(heir, error))
        return false;
    std::string temporary = temporaryTemplate_;
    const int fd = fileSystem_.MakeTemporary(temporary);
    if (fd < 0) {
        *error = Failure(temporaryTemplate_, errno);
        return false;
    }
    if (!PutInPlace(fd, temporary, text, heir, error))
        return false;
    if (fileSystem_.SyncFolder(folder_) != 0) {
        *error = Failure(folder_, errno);
        return false;
    }
    return true;
}

bool MetricsFile::Inherit(Heir &heir, std::string *error)
{
    struct stat info{};
    if (fileSystem_.StatPath(path_, info) != 0) {
        if (errno != ENOENT) {
            *error = Failure(path_, errno);
            return false;
        }
        heir.mode = newFileMode_;
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = NotRegular(path_, info.st_mode);
        return false;
    }
    heir.mode = info.st_mode & 0777;
    heir.replaces = true;
    heir.owner = info.st_uid;
    heir.group = info.st_gid;
    return true;
}

bool MetricsFile::PutInPlace(int fd, const std::string &temporary, std::string_view text, const Heir &heir,
                             std::string *error)
{
    // The owner first: giving a file away may clear its mode's set-id bits.
    if (heir.replaces)
        fileSystem_.SetOwner(fd, heir.owner, heir.group); // as far as this process may
    bool done = fileSystem_.WriteAll(fd, text) && fileSystem_.SetMode(fd, heir.mode) == 0 && fileSystem_.Sync(fd) == 0;
    int failure = errno;
    if (fileSystem_.Close(fd) != 0 && done) {
        done = false;
        failure = errno;
    }
    if (done && fileSystem_.Rename(temporary, path_) != 0) {
        *error = Failure(path_, errno);
        fileSystem_.Unlink(temporary);
        return false;
    }
    if (!done) {
        *error = Failure(temporary, failure);
        fileSystem_.Unlink(temporary);
    }
    return done;
}

std::optional<std::string> MetricsFile::Unwritable(const std::string &path)
{
    if (path.empty())
        return std::string("the file name is empty");
    if (path.back() == '/')
        return path + ": names a folder, not a file";
    struct stat info{};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? path + ": names a folder, not a file" : NotRegular(path, info.st_mode);
    const std::string folder = Folder(path);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Failure(folder, errno);
    return std::nullopt;
}
