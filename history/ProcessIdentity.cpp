// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/ProcessIdentity.h"

#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

struct StatFields {
    char state = '?';
    std::int64_t startTicks = 0;
};

// /proc/PID/stat: the command name is in parentheses and may hold spaces
// and parentheses itself, so the fields are counted after the last ')'.
bool ReadStat(std::int64_t pid, StatFields &fields)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (!in.good() && text.empty())
        return false;
    if (close == std::string::npos)
        return false;
    std::istringstream rest(text.substr(close + 1));
    std::vector<std::string> words{std::istream_iterator<std::string>(rest), std::istream_iterator<std::string>()};
    // Field 3 (state) is the first word, field 22 (starttime) the 20th.
    if (words.size() < 20)
        return false;
    fields.state = words[0].empty() ? '?' : words[0][0];
    try {
        fields.startTicks = std::stoll(words[19]);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

std::string BootId()
{
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

} // namespace

ProcessIdentity CurrentProcess()
{
    ProcessIdentity identity;
    identity.pid = ::getpid();
    StatFields fields;
    if (ReadStat(identity.pid, fields))
        identity.startTicks = fields.startTicks;
    identity.bootId = BootId();
    return identity;
}

bool ProcessAlive(const ProcessIdentity &process)
{
    if (process.pid <= 0)
        return false;
    if (!process.bootId.empty()) {
        const std::string boot = BootId();
        if (!boot.empty() && boot != process.bootId)
            return false;
    }
    StatFields fields;
    if (!ReadStat(process.pid, fields))
        return false;
    if (fields.state == 'Z' || fields.state == 'X')
        return false;
    return process.startTicks == 0 || fields.startTicks == process.startTicks;
}
