#pragma once

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string_view>
#include <vector>

namespace korvela {

// Collects many small pieces of a large file and hands them to the stream in big blocks:
// a writer of millions of short lines spends its time formatting, not in stream calls.
class OutputBuffer {
public:
    explicit OutputBuffer(std::ostream& out, std::size_t capacity = std::size_t{1} << 20)
        : out_(out), buffer_(capacity) {}
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void append(std::string_view text) {
        if (text.size() > buffer_.size() - used_) {
            flush();
            if (text.size() > buffer_.size()) {
                out_.write(text.data(), static_cast<std::streamsize>(text.size()));
                return;
            }
        }
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    // Room for `length` bytes, to be filled by the caller and then taken with commit.
    char* reserve(std::size_t length) {
        if (length > buffer_.size() - used_) flush();
        if (length > buffer_.size()) buffer_.resize(length);
        return buffer_.data() + used_;
    }
    void commit(std::size_t length) { used_ += length; }

    void flush() {
        if (used_ == 0) return;
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    std::ostream& out_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace korvela
