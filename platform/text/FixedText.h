#pragma once

// Zero-terminated text in a buffer of fixed size, the way Nodescout keeps
// addresses, names, MAC texts and paths. Every way of putting text in cuts
// it at Capacity() - 1 characters, so no copy can run past the buffer.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace nodescout {

// Copies at most size - 1 characters of text into destination and always
// terminates it (when size > 0). Returns the number of characters copied.
inline std::size_t CopyText(char* destination, std::size_t size, std::string_view text) noexcept {
    if (size == 0) {
        return 0;
    }
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    if (length > 0) {
        std::memmove(destination, text.data(), length);
    }
    destination[length] = '\0';
    return length;
}

// Length of a zero-terminated text, looking no further than size characters.
inline std::size_t BoundedLength(const char* text, std::size_t size) noexcept {
    const void* end = std::memchr(text, '\0', size);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : size;
}

template <std::size_t N>
class FixedText {
    static_assert(N >= 1, "a text buffer needs room for its terminator");

public:
    FixedText() noexcept { m_sz[0] = '\0'; }
    FixedText(std::string_view text) noexcept { Assign(text); } // NOLINT: converting on purpose
    FixedText(const char* text) noexcept {
        Assign(text ? std::string_view(text) : std::string_view());
    }
    template <std::size_t M>
    FixedText(const FixedText<M>& other) noexcept {
        Assign(other.View());
    }

    FixedText& operator=(std::string_view text) noexcept {
        Assign(text);
        return *this;
    }
    FixedText& operator=(const char* text) noexcept {
        Assign(text ? std::string_view(text) : std::string_view());
        return *this;
    }
    template <std::size_t M>
    FixedText& operator=(const FixedText<M>& other) noexcept {
        Assign(other.View());
        return *this;
    }

    // Replaces the text; anything beyond Capacity() - 1 characters is cut.
    void Assign(std::string_view text) noexcept { CopyText(m_sz, N, text); }
    void Clear() noexcept { m_sz[0] = '\0'; }

    // printf-style formatting into the buffer; the result is cut like Assign.
    [[gnu::format(printf, 2, 3)]] void Format(const char* format, ...) noexcept {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(m_sz, N, format, arguments);
        va_end(arguments);
    }

    static constexpr std::size_t Capacity() noexcept { return N; }
    std::size_t Length() const noexcept { return BoundedLength(m_sz, N); }
    bool IsEmpty() const noexcept { return m_sz[0] == '\0'; }

    const char* c_str() const noexcept { return m_sz; }
    std::string_view View() const noexcept { return std::string_view(m_sz, Length()); }
    operator std::string_view() const noexcept { return View(); }

    // The raw buffer, for interfaces that write a terminated text of at most
    // Capacity() characters into it (snprintf, GetPrivateProfileString...).
    char* Buffer() noexcept { return m_sz; }

    friend bool operator==(const FixedText& a, std::string_view b) noexcept {
        return a.View() == b;
    }

private:
    char m_sz[N];
};

// The buffer sizes Nodescout uses for its texts.
inline constexpr std::size_t kTextSize = 1024;  // addresses, names, one line
inline constexpr std::size_t kMacTextSize = 13; // twelve hex digits and the terminator
inline constexpr std::size_t kPathSize = 260;   // file paths

using Text = FixedText<kTextSize>;
using MacText = FixedText<kMacTextSize>;
using PathText = FixedText<kPathSize>;

} // namespace nodescout
