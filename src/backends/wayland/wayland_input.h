// CWaylandSeat: the seat's pointer and keyboard, made and dropped as the
// seat's capabilities come and go (a virtual keyboard that types and
// leaves, a mouse plugged in), with their events handed to IWaylandInput
// in the saver's terms: positions in surface coordinates, the mouse-button
// flags of the mouse messages, the pressed buttons and keys.
//
// Trade-off: keys are reported by their evdev code only. The saver ends on
// any key, so the keymap is not read (no xkbcommon): the key messages carry
// no virtual-key code and no Alt state.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "backends/wayland/wayland_proxy.h"
#include "framework/types.h"

// Where the seat's events go (the platform).
class IWaylandInput {
public:
    virtual ~IWaylandInput() = default;
    // The pointer entered `surface`: true when no cursor is to show over it.
    virtual bool HidesCursor(wl_surface* surface) = 0;
    // The pointer is at (x, y) over `surface` (after enter or motion);
    // `buttons` holds MK_LBUTTON, MK_MBUTTON and MK_RBUTTON as pressed.
    virtual void OnPointerMotion(wl_surface* surface, wl_fixed_t x, wl_fixed_t y, WPARAM buttons) = 0;
    // WM_LBUTTONDOWN, WM_MBUTTONDOWN or WM_RBUTTONDOWN at the pointer.
    virtual void OnPointerButton(wl_surface* surface, UINT message, wl_fixed_t x, wl_fixed_t y, WPARAM buttons) = 0;
    // A key went down on `surface`, which has the keyboard focus.
    virtual void OnKey(wl_surface* surface, std::uint32_t evdevCode) = 0;
};

class CWaylandSeat {
public:
    // Takes `seat` (bound at version 5 or lower) and listens to it.
    CWaylandSeat(wl_seat* seat, IWaylandInput& input);
    CWaylandSeat(const CWaylandSeat&) = delete;
    CWaylandSeat& operator=(const CWaylandSeat&) = delete;

private:
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;

    void OnCapabilities(std::uint32_t caps);
    void OnButton(std::uint32_t button, std::uint32_t state);

    IWaylandInput& m_input;
    WlPtr<wl_seat> m_seat;
    WlPtr<wl_pointer> m_pointer;
    WlPtr<wl_keyboard> m_keyboard;
    wl_surface* m_pointerFocus = nullptr; // compared only, never used after it went
    wl_surface* m_keyboardFocus = nullptr;
    wl_fixed_t m_x = 0, m_y = 0;
    WPARAM m_buttons = 0;
};
