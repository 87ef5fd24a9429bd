// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A file that is replaced whole, atomically: the new text is written to a
// hidden file beside it (".<name>.<pid>.tmp", which node_exporter's textfile
// collector skips, as it reads *.prom only) and renamed over it, so a
// reader sees the old text or the new, never a part.
class MetricsFile final {
public:
    explicit MetricsFile(std::string path);

    const std::string &Path() const noexcept { return path_; }
    const std::string &TemporaryPath() const noexcept { return temporary_; }

    // Returns false and sets `error` ("<path>: <reason>") when the text could
    // not be put in place; the old file then stays as it was, and no
    // temporary file is left.
    bool Replace(std::string_view text, std::string *error);

    // Why the file could not be written at all (its folder missing or not
    // writable, or the path naming a folder); nothing when it can be.
    static std::optional<std::string> Unwritable(const std::string &path);

private:
    std::string path_;
    std::string temporary_;
};
