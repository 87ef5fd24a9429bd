// SPDX-License-Identifier: MIT
#include "cli/MetricsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

MetricsFile::MetricsFile(std::string path) : path_(std::move(path))
{
    const std::string folder = Folder(path_);
    temporary_ = (path_.find('/') == std::string::npos ? std::string() : folder + "/") + "." + Name(path_) + "."
                 + std::to_string(::getpid()) + ".tmp";
}

bool MetricsFile::Replace(std::string_view text, std::string *error)
{
    const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = Failure(temporary_, errno);
        return false;
    }
    const bool written = WriteAll(fd, text);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        *error = Failure(temporary_, !written ? writeError : closeError);
        ::unlink(temporary_.c_str());
        return false;
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        *error = Failure(path_, errno);
        ::unlink(temporary_.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> MetricsFile::Unwritable(const std::string &path)
{
    if (path.empty())
        return std::string("the file name is empty");
    if (path.back() == '/')
        return path + ": names a folder, not a file";
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return path + ": names a folder, not a file";
    const std::string folder = Folder(path);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Failure(folder, errno);
    return std::nullopt;
}
