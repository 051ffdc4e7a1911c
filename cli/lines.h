// Lines of standard input, read in large blocks. A line ends at "\n" (a "\r" before it is
// dropped) or at the end of the input; it may hold any bytes, NUL included. A line longer than
// the limit is not kept: it comes back marked TooLong with its first bytes, and the next line
// starts clean after its "\n".
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavu::cli {

class LineReader {
  public:
    /// Fills up to `size` bytes; returns the count, 0 at the end of the input, -1 on an error
    /// (errno set). It may return fewer bytes than asked: a pipe gives what it has, and each
    /// line that is complete is answered before the next call.
    using Source = std::function<long(char* buffer, std::size_t size)>;

    static constexpr std::size_t kDefaultLimit = 1 << 16;
    static constexpr std::size_t kBlock = 1 << 16;
    static constexpr std::size_t kKeptOfLongLine = 256;

    explicit LineReader(Source source, std::size_t limit = kDefaultLimit,
                        std::size_t block = kBlock);

    struct Line {
        std::string_view Text; // valid until the next call to Next
        std::size_t Number = 0;
        bool TooLong = false; // Text holds only the first bytes of the line
    };

    /// The next line; false at the end of the input or on a read error (then Error() is set).
    bool Next(Line& line);
    int Error() const { return error_; }

  private:
    bool Fill();
    void Keep(const char* start, std::size_t size);

    Source source_;
    std::size_t limit_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0; // unread bytes
    std::size_t scanned_ = 0;         // bytes from begin_ known to hold no "\n"
    std::size_t number_ = 0;
    bool atEnd_ = false;
    int error_ = 0;
    std::string longStart_; // first bytes of a line past the limit
};

} // namespace kavu::cli
