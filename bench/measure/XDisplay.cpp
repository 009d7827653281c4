#include "XDisplay.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

namespace brevant::measure {

namespace {

// xcb hands out replies allocated with malloc.
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> owned(T* reply) {
    return Reply<T>(reply, &std::free);
}

constexpr uint32_t kIconicState = 3;

} // namespace

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

XDisplay::XDisplay() {
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn)) {
        xcb_disconnect(conn);
        return;
    }
    m_conn = conn;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_screen = it.data;
    m_wmPid = atom("_NET_WM_PID");
    m_wmState = atom("WM_STATE");
}

XDisplay::~XDisplay() {
    if (m_conn)
        xcb_disconnect(m_conn);
}

xcb_atom_t XDisplay::atom(const char* name) {
    auto reply = owned(xcb_intern_atom_reply(
        m_conn, xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<uint32_t> XDisplay::cardinal(xcb_window_t window, xcb_atom_t property) {
    auto reply = owned(xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

void XDisplay::watchMaps() {
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_conn, m_screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_conn);
}

std::optional<xcb_window_t> XDisplay::waitForMap(int pid, double deadlineMs) {
    const int fd = xcb_get_file_descriptor(m_conn);
    for (;;) {
        while (auto event = owned(xcb_poll_for_event(m_conn))) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (!map->override_redirect && cardinal(map->window, m_wmPid) == uint32_t(pid))
                return map->window;
        }
        if (xcb_connection_has_error(m_conn))
            return std::nullopt;
        const double left = deadlineMs - nowMs();
        if (left <= 0)
            return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, int(left) + 1);
    }
}

std::optional<xcb_window_t> XDisplay::windowOf(int pid, bool iconic) {
    auto tree = owned(xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, m_screen->root), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t w = children[i];
        if (cardinal(w, m_wmPid) != uint32_t(pid))
            continue;
        auto attrs =
            owned(xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, w), nullptr));
        if (!attrs || attrs->override_redirect)
            continue;
        if (iconic ? cardinal(w, m_wmState) == kIconicState : attrs->map_state == XCB_MAP_STATE_VIEWABLE)
            return w;
    }
    return std::nullopt;
}

void XDisplay::iconify(xcb_window_t window) {
    xcb_unmap_window(m_conn, window);
    const uint32_t state[2] = {kIconicState, XCB_WINDOW_NONE};
    xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, window, m_wmState, m_wmState, 32, 2, state);
    // A round trip: both requests are done before the caller goes on (or disconnects).
    std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
}

std::optional<std::vector<uint8_t>> XDisplay::pixels(xcb_window_t window) {
    auto geometry = owned(xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, window), nullptr));
    if (!geometry)
        return std::nullopt;
    auto image = owned(xcb_get_image_reply(m_conn,
                                           xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                         geometry->width, geometry->height, ~0u),
                                           nullptr));
    if (!image)
        return std::nullopt;
    const uint8_t* data = xcb_get_image_data(image.get());
    return std::vector<uint8_t>(data, data + xcb_get_image_data_length(image.get()));
}

double XDisplay::waitForChange(xcb_window_t window, const std::vector<uint8_t>& before, double deadlineMs) {
    while (nowMs() < deadlineMs) {
        const auto now = pixels(window);
        if (now && *now != before)
            return nowMs();
        usleep(500);
    }
    return -1;
}

} // namespace brevant::measure
