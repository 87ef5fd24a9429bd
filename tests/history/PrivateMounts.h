// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>

// File systems that misbehave on purpose, seen by this test process only:
// a mount namespace of its own, where a folder can be made read-only or
// replaced by a tiny tmpfs that fills up. Needs the right to unshare the
// mount namespace (root); each function returns false with `reason` set
// where that is not given, and the tests that need it skip.
bool EnterPrivateMounts(QString *reason);
bool MountReadOnly(const QString &folder, QString *reason);
bool MountSmallTmpfs(const QString &folder, std::uint64_t bytes, QString *reason);

// Unmounts `folder` when it goes out of scope (so the scratch folder can go).
class MountedFolder final {
public:
    explicit MountedFolder(QString folder) : folder_(std::move(folder)) {}
    ~MountedFolder();
    MountedFolder(const MountedFolder &) = delete;
    MountedFolder &operator=(const MountedFolder &) = delete;

private:
    QString folder_;
};
