// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "PrivateMounts.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace {

bool entered = false;

bool Failed(const char *what, QString *reason)
{
    *reason = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

} // namespace

bool EnterPrivateMounts(QString *reason)
{
    if (entered)
        return true;
    if (::unshare(CLONE_NEWNS) != 0)
        return Failed("unshare(CLONE_NEWNS)", reason);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return Failed("mount --make-rprivate /", reason);
    entered = true;
    return true;
}

bool MountReadOnly(const QString &folder, QString *reason)
{
    if (!EnterPrivateMounts(reason))
        return false;
    const QByteArray path = folder.toLocal8Bit();
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
        return Failed("mount --bind", reason);
    if (::mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return Failed("mount -o remount,ro", reason);
    return true;
}

bool MountSmallTmpfs(const QString &folder, std::uint64_t bytes, QString *reason)
{
    if (!EnterPrivateMounts(reason))
        return false;
    const QByteArray path = folder.toLocal8Bit();
    const QByteArray options = "size=" + QByteArray::number(static_cast<qulonglong>(bytes)) + ",mode=0700";
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0)
        return Failed("mount -t tmpfs", reason);
    return true;
}

MountedFolder::~MountedFolder()
{
    ::umount2(folder_.toLocal8Bit().constData(), MNT_DETACH);
}
