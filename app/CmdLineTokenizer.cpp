#include "app/CmdLineTokenizer.h"

#include "platform/text/FixedText.h"

#include <cstring>

namespace nodescout {

CmdLineTokenizer::CmdLineTokenizer(const char* text, const char* delimiter)
    : m_pCursor(m_szText), m_strDelimiter(delimiter ? delimiter : "") {
    CopyText(m_szText, sizeof m_szText, text ? text : "");
}

const char* CmdLineTokenizer::NextToken() {
    char* token = m_pCursor;
    // An empty delimiter would match everywhere; the rest is then one word.
    char* found = m_strDelimiter.empty() ? nullptr : std::strstr(m_pCursor, m_strDelimiter.c_str());
    if (found == nullptr) {
        m_pCursor += std::strlen(m_pCursor);
        return token;
    }
    *found = '\0';
    m_pCursor = found + m_strDelimiter.size();
    return token;
}

} // namespace nodescout
