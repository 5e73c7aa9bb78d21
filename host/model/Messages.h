#pragma once
// Window messages the host's edit controls answer, and the call that sends one.
#include <cstdint>

#include "host/Object.h"

namespace host {

namespace msg {
inline constexpr int EM_GETLINECOUNT = 186;  // -> number of lines (1 for an empty or single-line box)
inline constexpr int EM_LINEINDEX = 187;     // wParam line (-1: the caret's) -> its first character, -1 past the end
inline constexpr int EM_LINELENGTH = 193;    // wParam a character index -> length of its line
inline constexpr int EM_LINEFROMCHAR = 201;  // wParam a character index (-1: the caret) -> its line
inline constexpr int EM_FORMATRANGE = 1081;  // answered by rich-text boxes
}  // namespace msg

// Sends a message to a control's window: ctl.call("SendMessage", {msg, wParam,
// lParam}). Character indexes count characters of the control's Text as the
// language's Len and Mid do (one per code point), not bytes. A message the
// window does not handle returns 0; a control without a window raises 438.
std::int32_t SendMessageA(const ObjectRef& control, int message, long wParam, long lParam);

}  // namespace host
