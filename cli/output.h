// The one output buffer of kavu-sheet: every writer appends to it, and it reaches the file
// descriptor in large writes. A write error (a closed pipe, a full disk) stops all further
// output; the caller asks Failed() and ends the run.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace kavu::cli {

class Output {
  public:
    explicit Output(int fd, std::size_t capacity = 1 << 16);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Put(std::string_view text) {
        if (text.size() > capacity_ - size_) {
            PutLarge(text);
            return;
        }
        std::memcpy(buffer_.get() + size_, text.data(), text.size());
        size_ += text.size();
    }
    void Put(char c) {
        if (size_ == capacity_) Flush();
        buffer_[size_++] = c;
    }

    /// Room for `n` bytes (at most the capacity) written in place, then Commit(bytes used).
    char* Reserve(std::size_t n) {
        if (n > capacity_ - size_) Flush();
        return buffer_.get() + size_;
    }
    void Commit(std::size_t n) { size_ += n; }

    /// Writes what is buffered. False once any write has failed.
    bool Flush();
    bool Failed() const { return error_ != 0; }
    /// errno of the failed write; EPIPE means the reader went away, which is no error to report.
    int Error() const { return error_; }

  private:
    void PutLarge(std::string_view text);

    int fd_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    int error_ = 0;
    std::unique_ptr<char[]> buffer_;
};

} // namespace kavu::cli
