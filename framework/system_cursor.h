#pragma once
// The system's shared cursors, named by the resource numbers behind IDC_ARROW and IDC_WAIT:
// those macros change type with UNICODE, and nothing of ours depends on that macro.

#include <windows.h>

enum class SystemCursorId : WORD {
  Arrow = 32512,  // IDC_ARROW
  Wait = 32514,   // IDC_WAIT
};

// The shared cursor, or null when the system has none of that number.
inline HCURSOR SystemCursor(SystemCursorId id) {
  return LoadCursorA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)));
}
