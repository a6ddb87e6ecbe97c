#pragma once

#include <string>

// What a desktop's close button does: asks the client that owns `window` on the X display
// `display`, through the window manager protocol (WM_DELETE_WINDOW), to close it. False when the
// display cannot be reached or the request cannot be sent. Kept apart from the tests because
// Xlib's macros (None, Status) clash with GoogleTest's names.
bool askToClose(const std::string& display, unsigned long window);
