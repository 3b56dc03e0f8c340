#include "framework/MessageMap.h"

namespace nodescout {

const MessageEntry* MessageMap::Find(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (const MessageEntry& entry : m_entries) {
        if (entry.message != message) {
            continue;
        }
        if (entry.matchesAnyId) {
            return &entry;
        }
        if (message == WM_COMMAND && entry.code == HIWORD(wParam) &&
            static_cast<WORD>(entry.id) == LOWORD(wParam)) {
            return &entry;
        }
        if (message == WM_NOTIFY) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && entry.code == header->code &&
                entry.id == static_cast<int>(header->idFrom)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

} // namespace nodescout
