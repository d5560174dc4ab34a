// A growable NUL-terminated byte string: the texts an entry collects while it parses.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

class CddbText
{
public:
    static constexpr std::size_t kInitialCapacity = 64;
    static constexpr std::size_t kSlack = 128;

    CddbText() : buffer_(kInitialCapacity, '\0') {}

    // Appends without a separator. Throws std::bad_alloc and then leaves the text as it was.
    void append(std::string_view added);

    std::string_view view() const { return {buffer_.data(), length_}; }
    const char* c_str() const { return buffer_.data(); }
    std::size_t length() const { return length_; }
    std::size_t capacity() const { return buffer_.size(); }
    bool empty() const { return length_ == 0; }

private:
    std::vector<char> buffer_; // always holds length_ + 1 bytes or more, NUL after the text
    std::size_t length_ = 0;
};
