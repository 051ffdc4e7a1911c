#include "cli/lines.h"

#include <cerrno>
#include <cstring>

namespace kavu::cli {

LineReader::LineReader(Source source, std::size_t limit, std::size_t block)
    : source_(std::move(source)), limit_(limit), buffer_(limit + 1 + block) {}

// Moves the unread bytes to the front and reads after them. False at the end or on an error.
bool LineReader::Fill() {
    if (atEnd_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    for (;;) {
        const long n = source_(buffer_.data() + end_, buffer_.size() - end_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno ? errno : EIO;
        atEnd_ = true;
        return false;
    }
}

// Keeps the start of a line past the limit, for the message about it.
void LineReader::Keep(const char* start, std::size_t size) {
    const std::size_t room = kKeptOfLongLine - longStart_.size();
    longStart_.append(start, size < room ? size : room);
}

bool LineReader::Next(Line& line) {
    bool tooLong = false;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const std::size_t size = end_ - begin_;
        const void* nl = std::memchr(start + scanned_, '\n', size - scanned_);
        if (nl || (atEnd_ && (size > 0 || tooLong))) {
            std::size_t length = nl ? static_cast<const char*>(nl) - start : size;
            std::size_t next = nl ? length + 1 : size;
            if (!tooLong && length > limit_) {
                longStart_.clear();
                tooLong = true;
            }
            if (tooLong) Keep(start, length);
            begin_ += next;
            scanned_ = 0;
            line.Number = ++number_;
            line.TooLong = tooLong;
            if (tooLong) {
                line.Text = longStart_;
            } else {
                if (length > 0 && start[length - 1] == '\r') --length;
                line.Text = std::string_view(start, length);
            }
            return true;
        }
        if (atEnd_) return false;
        if (size > limit_) {
            // Past the limit with no end in sight: keep the start for the message, drop the rest.
            if (!tooLong) longStart_.clear();
            tooLong = true;
            Keep(start, size);
            begin_ = end_ = 0;
            scanned_ = 0;
        } else {
            scanned_ = size;
        }
        if (!Fill() && error_ != 0) return false;
    }
}

} // namespace kavu::cli
