#include "cli/lines.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace kavu::cli {
namespace {

// The first "\n" in [p, end), or nullptr. Lines are short: eight bytes a time inline beat a call
// to memchr, which is made for long runs; a long stretch is left to it.
const char* FindNewline(const char* p, const char* end) {
    for (int words = 0; words < 8 && end - p >= 8; ++words, p += 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
        const std::uint64_t x = v ^ 0x0A0A0A0A0A0A0A0A; // a zero byte where "\n" is
        const std::uint64_t zero = (x - 0x0101010101010101) & ~x & 0x8080808080808080;
        if (zero != 0) return p + std::countr_zero(zero) / 8; // the first zero byte is exact
    }
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
}

} // namespace

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
        const char* nl = FindNewline(start + scanned_, start + size);
        if (nl || (atEnd_ && (size > 0 || tooLong))) {
            std::size_t length = nl ? static_cast<std::size_t>(nl - start) : size;
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
