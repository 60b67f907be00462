// CWaylandSeat: the seat's capabilities, the pointer's enter, motion and
// buttons, and the keyboard's keys. Axis (wheel) events and key releases
// are nothing the saver reacts to; the keymap's descriptor is closed
// unread.
#include "backends/wayland/wayland_input.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

namespace {
// The mouse-button flags of the mouse messages' wParam.
constexpr WPARAM kMkLButton = 0x0001, kMkRButton = 0x0002, kMkMButton = 0x0010;
} // namespace

void ReleasePointer(wl_pointer* pointer)
{
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}

void ReleaseKeyboard(wl_keyboard* keyboard)
{
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
}

void ReleaseSeat(wl_seat* seat)
{
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat);
    else
        wl_seat_destroy(seat);
}

const wl_seat_listener CWaylandSeat::kSeatListener = {
    [](void* data, wl_seat*, std::uint32_t caps) { static_cast<CWaylandSeat*>(data)->OnCapabilities(caps); },
    [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener CWaylandSeat::kPointerListener = {
    // enter
    [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWaylandSeat*>(data);
        self->m_pointerFocus = surface;
        self->m_x = x;
        self->m_y = y;
        if (surface && self->m_input.HidesCursor(surface))
            wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        if (surface)
            self->m_input.OnPointerMotion(surface, x, y, self->m_buttons);
    },
    // leave
    [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
        auto* self = static_cast<CWaylandSeat*>(data);
        self->m_pointerFocus = nullptr;
        self->m_buttons = 0;
    },
    // motion
    [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWaylandSeat*>(data);
        self->m_x = x;
        self->m_y = y;
        if (self->m_pointerFocus)
            self->m_input.OnPointerMotion(self->m_pointerFocus, x, y, self->m_buttons);
    },
    // button
    [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
        static_cast<CWaylandSeat*>(data)->OnButton(button, state);
    },
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},                // axis
    [](void*, wl_pointer*) {},                                                         // frame
    [](void*, wl_pointer*, std::uint32_t) {},                                          // axis_source
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},                           // axis_stop
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},                            // axis_discrete
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},                            // axis_value120
};

const wl_keyboard_listener CWaylandSeat::kKeyboardListener = {
    // keymap: not needed, but its descriptor is ours to close
    [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { ::close(fd); },
    // enter: keys already down when the focus came are not new input
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        static_cast<CWaylandSeat*>(data)->m_keyboardFocus = surface;
    },
    // leave: the focus may go to another show's surface, which is no
    // reason to end; a lock screen taking it leaves the saver below
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        static_cast<CWaylandSeat*>(data)->m_keyboardFocus = nullptr;
    },
    // key
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        auto* self = static_cast<CWaylandSeat*>(data);
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED && self->m_keyboardFocus)
            self->m_input.OnKey(self->m_keyboardFocus, key);
    },
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}, // modifiers
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}, // repeat_info
};

CWaylandSeat::CWaylandSeat(wl_seat* seat, IWaylandInput& input) : m_input(input), m_seat(seat)
{
    wl_seat_add_listener(seat, &kSeatListener, this);
}

void CWaylandSeat::OnCapabilities(std::uint32_t caps)
{
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (pointer && !m_pointer) {
        m_pointer.reset(wl_seat_get_pointer(m_seat.get()));
        wl_pointer_add_listener(m_pointer.get(), &kPointerListener, this);
    } else if (!pointer && m_pointer) {
        m_pointer.reset();
        m_pointerFocus = nullptr;
        m_buttons = 0;
    }
    if (keyboard && !m_keyboard) {
        m_keyboard.reset(wl_seat_get_keyboard(m_seat.get()));
        wl_keyboard_add_listener(m_keyboard.get(), &kKeyboardListener, this);
    } else if (!keyboard && m_keyboard) {
        m_keyboard.reset();
        m_keyboardFocus = nullptr;
    }
}

void CWaylandSeat::OnButton(std::uint32_t button, std::uint32_t state)
{
    UINT message = 0;
    WPARAM flag = 0;
    switch (button) {
    case BTN_LEFT:
        message = WM_LBUTTONDOWN;
        flag = kMkLButton;
        break;
    case BTN_RIGHT:
        message = WM_RBUTTONDOWN;
        flag = kMkRButton;
        break;
    case BTN_MIDDLE:
        message = WM_MBUTTONDOWN;
        flag = kMkMButton;
        break;
    default:
        return; // side and extra buttons are no buttons the saver knows
    }
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) {
        m_buttons &= ~flag;
        return;
    }
    m_buttons |= flag;
    if (m_pointerFocus)
        m_input.OnPointerButton(m_pointerFocus, message, m_x, m_y, m_buttons);
}
