// A text built in place in a buffer of fixed size: messages, screen rows and paths
// are all bounded, and building them must never allocate, so that running out of
// memory can only happen where the editor's allocator handles it.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace qx {

// Holds up to N - 1 characters and a NUL; what does not fit is cut off.
template <std::size_t N>
class FixedText {
    static_assert(N > 0);

public:
    FixedText() { text_[0] = '\0'; }
    explicit FixedText(std::string_view s) : FixedText() { append(s); }

    FixedText& append(std::string_view s) {
        std::size_t n = s.size() < N - 1 - length_ ? s.size() : N - 1 - length_;
        if (n > 0) std::memcpy(text_ + length_, s.data(), n);   // an empty view may have no data
        length_ += n;
        text_[length_] = '\0';
        return *this;
    }
    FixedText& append(std::size_t count, char c) {
        std::size_t n = count < N - 1 - length_ ? count : N - 1 - length_;
        std::memset(text_ + length_, c, n);
        length_ += n;
        text_[length_] = '\0';
        return *this;
    }
    FixedText& operator+=(std::string_view s) { return append(s); }
    FixedText& operator+=(char c) { return append(1, c); }

    // Appends printf-style output.
    __attribute__((format(printf, 2, 3))) FixedText& appendf(const char* format, ...) {
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(text_ + length_, N - length_, format, args);
        va_end(args);
        if (n > 0) length_ += static_cast<std::size_t>(n) < N - length_ ? static_cast<std::size_t>(n) : N - 1 - length_;
        return *this;
    }

    // Cuts to n characters or pads with fill up to n.
    void resize(std::size_t n, char fill) {
        if (n < length_) {
            length_ = n;
            text_[n] = '\0';
        } else {
            append(n - length_, fill);
        }
    }

    std::string_view view() const { return {text_, length_}; }
    operator std::string_view() const { return view(); }
    const char* c_str() const { return text_; }
    char* data() { return text_; }   // for in-place changes that keep the length
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    static constexpr std::size_t capacity() { return N - 1; }

    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }

private:
    char text_[N];
    std::size_t length_ = 0;
};

// One screen row or less: prompts, messages, panel lines, shortened names.
inline constexpr std::size_t ROW_TEXT_SIZE = 512;
using RowText = FixedText<ROW_TEXT_SIZE>;

}  // namespace qx
