#pragma once

// Window messages of the main window, between running copies and within one.
inline constexpr int MSG_NULL = 0;
inline constexpr int MSG_PORT_WANTED = 1036;
inline constexpr int MSG_STEP_DONE = 1074;
inline constexpr int MSG_START = 1124;
inline constexpr int MSG_STOP = 1224;
inline constexpr int MSG_PORT_HANDLE = 1324;
inline constexpr int MSG_SHARE_COUNT = 1424;
inline constexpr int MSG_SHOW_MEASURE = 1524;
inline constexpr int MSG_REOPEN_PORT = 1624;
