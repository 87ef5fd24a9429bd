// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// Text for one descriptor, written by a thread of its own, so that the
// thread that makes it never waits for a reader: with standard output a pipe
// that nobody reads (a paused pager, a stuck log shipper), the checks, the
// metrics file and the answers to signals go on.
//
// Write never waits. The text is held until it is written; Full says when
// the queue holds `capacity` bytes or more, so that the caller stops making
// more (it is never refused below twice that; above, it is dropped and
// counted). The first write that fails ends the writing for good: Error
// gives its errno (EPIPE for a closed pipe), and later text is dropped.
//
// ProgressDescriptor becomes readable whenever text was written, the writing
// failed or the queue ran empty, until Acknowledge, for a caller that waits
// in poll. Abandon stops the writing at once, interrupting a write that
// blocks (with a signal to the writing thread only), and says how many lines
// were not written whole.
class OutputQueue final {
public:
    // As ::write: bytes written, or -1 with errno set.
    using WriteFunction = std::function<ssize_t(int fd, const char *data, std::size_t size)>;
    static constexpr std::size_t kDefaultCapacity = std::size_t(4) << 20;

    explicit OutputQueue(int fd, std::size_t capacity = kDefaultCapacity, WriteFunction write = {});
    // Abandons what is not written yet.
    ~OutputQueue();
    OutputQueue(const OutputQueue &) = delete;
    OutputQueue &operator=(const OutputQueue &) = delete;

    void Write(std::string_view text);

    bool Full() const;
    // Nothing left to write: all written, or the writing failed or ended.
    bool Idle() const;
    // 0 while writing works, else the errno of the write that failed.
    int Error() const;

    // The descriptor would take some text now without blocking (a reader
    // that reads, a file), so what is queued only waits for this thread.
    bool HasRoom() const;

    int ProgressDescriptor() const noexcept { return progress_[0]; }
    void Acknowledge();

    // Ends the writing; the lines not written whole (those still queued, one
    // cut short, and those dropped). Calling it again returns the same.
    std::uint64_t Abandon();

private:
    void Serve();
    // With the lock held.
    void NoteProgress();
    std::uint64_t LinesQueued() const;

    int fd_;
    std::size_t capacity_;
    WriteFunction write_;
    int progress_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> chunks_;
    std::size_t offset_ = 0; // written of chunks_.front()
    std::size_t queued_ = 0; // bytes not written yet
    std::uint64_t droppedLines_ = 0;
    int error_ = 0;
    bool writing_ = false; // inside a write, without the lock
    bool ended_ = false;
    bool signalled_ = false; // a byte waits on the progress pipe
    std::thread thread_;
};
