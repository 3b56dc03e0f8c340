#pragma once

// A window class's message table: entries that bind a message (and for
// commands and notifications a notification code and a control ID) to a
// member handler. The first entry that matches a message handles it, in
// table order; a message no entry takes goes to the framework's default
// handling. A class returns its table, a static MessageMap built from the
// On... entries below, from GetMessageMap.

#include "framework/Types.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace nodescout {

class CWnd;

struct MessageEntry {
    UINT message = 0;
    UINT code = 0; // notification code (WM_COMMAND, WM_NOTIFY)
    int id = 0;    // control ID (WM_COMMAND, WM_NOTIFY)
    std::function<LRESULT(CWnd& target, WPARAM wParam, LPARAM lParam)> invoke;
};

class MessageMap {
public:
    MessageMap(std::initializer_list<MessageEntry> entries) : m_entries(entries) {}

    // The first entry for this message, or null.
    const MessageEntry* Find(UINT message, WPARAM wParam, LPARAM lParam) const {
        for (const MessageEntry& entry : m_entries) {
            if (entry.message == message && MatchesControl(entry, message, wParam, lParam)) {
                return &entry;
            }
        }
        return nullptr;
    }

private:
    std::vector<MessageEntry> m_entries;

    // Commands and notifications match on their code and control ID as well.
    static bool MatchesControl(const MessageEntry& entry, UINT message, WPARAM wParam,
                               LPARAM lParam) {
        if (message == WM_COMMAND) {
            return entry.code == HIWORD(wParam) && static_cast<WORD>(entry.id) == LOWORD(wParam);
        }
        if (message == WM_NOTIFY) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            return header && entry.code == header->code &&
                   entry.id == static_cast<int>(header->idFrom);
        }
        return true;
    }
};

// A click of button id (or the command id from the keyboard): void Handler().
template <class T>
MessageEntry OnBnClicked(int id, void (T::*handler)()) {
    return {WM_COMMAND, BN_CLICKED, id, [handler](CWnd& target, WPARAM, LPARAM) {
                (static_cast<T&>(target).*handler)();
                return LRESULT{0};
            }};
}

// WM_NOTIFY with a notification code from control id:
// void Handler(NMHDR* pNMHDR, LRESULT* pResult).
template <class T>
MessageEntry OnNotify(UINT code, int id, void (T::*handler)(NMHDR*, LRESULT*)) {
    return {WM_NOTIFY, code, id, [handler](CWnd& target, WPARAM, LPARAM lParam) {
                LRESULT result = 0;
                (static_cast<T&>(target).*handler)(reinterpret_cast<NMHDR*>(lParam), &result);
                return result;
            }};
}

// WM_SYSCOMMAND: void Handler(UINT nID, LPARAM lParam).
template <class T>
MessageEntry OnWmSysCommand(void (T::*handler)(UINT, LPARAM)) {
    return {WM_SYSCOMMAND, 0, 0, [handler](CWnd& target, WPARAM wParam, LPARAM lParam) {
                (static_cast<T&>(target).*handler)(static_cast<UINT>(wParam), lParam);
                return LRESULT{0};
            }};
}

// WM_PAINT: void Handler(). The framework has already painted the window's
// background and controls; a handler may draw on top through CPaintDC.
template <class T>
MessageEntry OnWmPaint(void (T::*handler)()) {
    return {WM_PAINT, 0, 0, [handler](CWnd& target, WPARAM, LPARAM) {
                (static_cast<T&>(target).*handler)();
                return LRESULT{0};
            }};
}

// WM_QUERYDRAGICON: HCURSOR Handler(). Linux desktops never ask for a drag
// icon, so the entry is kept for completeness and is not called.
template <class T>
MessageEntry OnWmQueryDragIcon(HCURSOR (T::*handler)()) {
    return {WM_QUERYDRAGICON, 0, 0, [handler](CWnd& target, WPARAM, LPARAM) {
                return reinterpret_cast<LRESULT>((static_cast<T&>(target).*handler)());
            }};
}

// Any other message: LRESULT Handler(WPARAM wParam, LPARAM lParam).
template <class T>
MessageEntry OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {message, 0, 0, [handler](CWnd& target, WPARAM wParam, LPARAM lParam) {
                return (static_cast<T&>(target).*handler)(wParam, lParam);
            }};
}

} // namespace nodescout
