#include "cli/output.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace kavu::cli {

Output::Output(int fd, std::size_t capacity)
    : fd_(fd), capacity_(capacity), buffer_(new char[capacity]) {}

Output::~Output() {
    Flush();
}

bool Output::Flush() {
    std::size_t done = 0;
    while (error_ == 0 && done < size_) {
        const ssize_t n = ::write(fd_, buffer_.get() + done, size_ - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            error_ = errno;
    }
    size_ = 0; // after a failure the rest is dropped: nobody reads it
    return error_ == 0;
}

void Output::PutLarge(std::string_view text) {
    while (!text.empty()) {
        if (size_ == capacity_) Flush();
        const std::size_t n = std::min(text.size(), capacity_ - size_);
        std::memcpy(buffer_.get() + size_, text.data(), n);
        size_ += n;
        text.remove_prefix(n);
    }
}

} // namespace kavu::cli
