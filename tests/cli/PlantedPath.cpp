// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "PlantedPath.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

bool Look(const QString &path, unsigned long *inode, unsigned *mode)
{
    struct stat info{};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    *inode = info.st_ino;
    *mode = info.st_mode;
    return true;
}

} // namespace

PlantedPath::PlantedPath(const QString &folder, Kind kind)
    : path_(QDir(folder).filePath(QStringLiteral("probe.prom"))), victim_(QDir(folder).filePath(QStringLiteral("victim")))
{
    QFile victim(victim_);
    if (!victim.open(QIODevice::WriteOnly) || victim.write(kVictimText) != qint64(sizeof kVictimText - 1))
        return;
    victim.close();
    bool planted = false;
    switch (kind) {
    case Kind::LinkToVictim:
        planted = QFile::link(victim_, path_);
        break;
    case Kind::DanglingLink:
        planted = QFile::link(QDir(folder).filePath(QStringLiteral("none")), path_);
        break;
    case Kind::Fifo:
        planted = ::mkfifo(QFile::encodeName(path_).constData(), 0600) == 0;
        break;
    }
    valid_ = planted && Look(path_, &inode_, &mode_);
}

bool PlantedPath::Untouched() const
{
    unsigned long inode = 0;
    unsigned mode = 0;
    return FileContents(victim_) == kVictimText && Look(path_, &inode, &mode) && inode == inode_ && mode == mode_;
}

QByteArray FileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
