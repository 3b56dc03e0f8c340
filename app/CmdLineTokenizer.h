#pragma once

// Splits the command line into words at a delimiter, the way Nodescout reads
// its verbs: adjacent delimiters give an empty word between them, and a
// delimiter at the very end leaves nothing behind it.

#include <cstddef>
#include <string>

namespace nodescout {

class CmdLineTokenizer {
public:
    // Room for this many characters of the command line; a longer one is cut.
    static constexpr std::size_t kMaxTextLength = 4099;

    CmdLineTokenizer(const char* text, const char* delimiter);

    CmdLineTokenizer(const CmdLineTokenizer&) = delete;
    CmdLineTokenizer& operator=(const CmdLineTokenizer&) = delete;

    // The text up to the next delimiter (or the rest), advancing past the
    // delimiter. Once the text is used up it returns "" every time.
    const char* NextToken();
    bool HasMoreTokens() const { return *m_pCursor != '\0'; }

private:
    char m_szText[kMaxTextLength + 1];
    char* m_pCursor;
    std::string m_strDelimiter;
};

} // namespace nodescout
