// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

// A file that is replaced whole, atomically, and safely for a program that
// runs as root or as a service user in a folder that others may write to.
//
// Each Replace writes the new text to a temporary file beside it, made by
// mkstemp (a random name, created exclusively, so that nothing planted can
// be written through): ".<name>.XXXXXX", which node_exporter's textfile
// collector skips, as it reads *.prom only. The file gets the mode (and, as
// far as the program may give them, the owner and group) of the file it
// replaces, or 0644 less the umask when there is none; it is flushed to the
// disk, renamed over the path, and the folder is flushed too. A reader sees
// the old text or the new, never a part; the path is never opened, so a link
// there is replaced, not followed. A path that names anything but a regular
// file (a link, a device, a fifo, a folder) is refused.
class MetricsFile final {
public:
    // The calls that reach the file system, each as its POSIX namesake
    // (-1 or false with errno set on failure), so that a test can make any
    // of them fail or see their order. Real() is the system's own.
    class FileSystem {
    public:
        virtual ~FileSystem() = default;
        // mkostemp with O_CLOEXEC: `pathTemplate` ends in XXXXXX and gets
        // the name made.
        virtual int MakeTemporary(std::string &pathTemplate) = 0;
        virtual bool WriteAll(int fd, std::string_view text) = 0;
        virtual int StatPath(const std::string &path, struct stat &info) = 0; // lstat
        virtual int SetMode(int fd, mode_t mode) = 0;                          // fchmod
        virtual int SetOwner(int fd, uid_t owner, gid_t group) = 0;            // fchown
        virtual int Sync(int fd) = 0;                                          // fsync
        virtual int Close(int fd) = 0;
        virtual int Rename(const std::string &from, const std::string &to) = 0;
        virtual int Unlink(const std::string &path) = 0;
        // open(O_DIRECTORY) and fsync of a folder.
        virtual int SyncFolder(const std::string &folder) = 0;
        // The process's umask, read without changing it for long; asked
        // once, when the MetricsFile is made.
        virtual mode_t Umask() = 0;

        static FileSystem &Real();
    };

    // To be made before any other thread of the program creates files (it
    // reads the umask).
    explicit MetricsFile(std::string path, FileSystem &fileSystem = FileSystem::Real());

    const std::string &Path() const noexcept { return path_; }

    // Returns false and sets `error` ("<path>: <reason>") when the text
    // could not be put in place (the old file then stays as it was, and no
    // temporary file is left), or when the folder could not be flushed
    // after the rename (the text is in place, but may not outlive a crash).
    bool Replace(std::string_view text, std::string *error);

    // Why the file could not be written at all: its folder missing or not
    // writable, or the path naming something that is not a regular file.
    // Nothing when it can be.
    static std::optional<std::string> Unwritable(const std::string &path);

private:
    // The mode, owner and group for the new file; false when the path names
    // something that must not be replaced.
    struct Heir {
        mode_t mode = 0644;
        bool replaces = false;
        uid_t owner = 0;
        gid_t group = 0;
    };
    bool Inherit(Heir &heir, std::string *error);
    bool PutInPlace(int fd, const std::string &temporary, std::string_view text, const Heir &heir, std::string *error);

    std::string path_;
    std::string folder_;
    std::string temporaryTemplate_;
    FileSystem &fileSystem_;
    mode_t newFileMode_;
};
