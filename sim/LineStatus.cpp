#include "LineStatus.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace vl48sim {

void LineStatusFile::reset() {
    counters_.fill(0);
    write();
}

void LineStatusFile::count(LineError error, uint64_t n) {
    counters_[static_cast<size_t>(error)] += n;
    write();
}

void LineStatusFile::remove() { ::unlink(path_.c_str()); }

// Replaces the file atomically, so the tool never reads half a line.
void LineStatusFile::write() {
    std::string text;
    for (size_t i = 0; i < counters_.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(counters_[i]);
    }
    text += '\n';
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        path_ + ".new-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open " + temporary);
    }
    const ssize_t written = ::write(fd, text.data(), text.size());
    int error = written == static_cast<ssize_t>(text.size()) ? 0 : (written < 0 ? errno : EIO);
    if (::close(fd) < 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path_.c_str()) < 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), "write " + path_);
    }
}

}  // namespace vl48sim
