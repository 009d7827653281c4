#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevant::measure {

// The few X requests the measurements need, on the display named by DISPLAY. A top-level window
// is found by the process id its toolkit puts in _NET_WM_PID, which also works without a window
// manager (the windows are then the root's own children).
class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool ok() const { return m_conn != nullptr; }
    xcb_connection_t* connection() const { return m_conn; }

    // From now on the root reports every window that is mapped on it.
    void watchMaps();
    // Waits for a top-level window of `pid` to be mapped; nothing when `deadlineMs` (monotonic)
    // passes or the connection fails.
    std::optional<xcb_window_t> waitForMap(int pid, double deadlineMs);

    // The viewable top-level window of `pid`, or the iconic one when `iconic` is set.
    std::optional<xcb_window_t> windowOf(int pid, bool iconic = false);
    // What a window manager does to iconify: unmap, then WM_STATE = IconicState. The toolkit
    // then reports the window as minimised.
    void iconify(xcb_window_t window);
    // The window's pixels, or nothing when they cannot be read.
    std::optional<std::vector<uint8_t>> pixels(xcb_window_t window);
    // Reads the window's pixels every half millisecond until they differ from `before`: the time
    // of the first difference, or -1 when `deadlineMs` passes first.
    double waitForChange(xcb_window_t window, const std::vector<uint8_t>& before, double deadlineMs);

private:
    xcb_atom_t atom(const char* name);
    std::optional<uint32_t> cardinal(xcb_window_t window, xcb_atom_t property);

    xcb_connection_t* m_conn = nullptr;
    xcb_screen_t* m_screen = nullptr;
    xcb_atom_t m_wmPid = XCB_ATOM_NONE;
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
};

// Milliseconds on the monotonic clock.
double nowMs();

} // namespace brevant::measure
