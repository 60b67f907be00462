// Key symbol to virtual-key code.
#include "backends/x11/x11_keys.h"

#include <X11/keysym.h>

namespace {
struct KeyPair {
    KeySym sym;
    WPARAM vk;
};

constexpr KeyPair kKeys[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09},        {XK_Return, 0x0D},     {XK_KP_Enter, 0x0D},
    {XK_Shift_L, 0x10},   {XK_Shift_R, 0x10},    {XK_Control_L, 0x11},  {XK_Control_R, 0x11},
    {XK_Alt_L, 0x12},     {XK_Alt_R, 0x12},      {XK_Pause, 0x13},      {XK_Caps_Lock, 0x14},
    {XK_Escape, 0x1B},    {XK_space, 0x20},      {XK_Prior, 0x21},      {XK_Next, 0x22},
    {XK_End, 0x23},       {XK_Home, 0x24},       {XK_Left, 0x25},       {XK_Up, 0x26},
    {XK_Right, 0x27},     {XK_Down, 0x28},       {XK_Print, 0x2C},      {XK_Insert, 0x2D},
    {XK_Delete, 0x2E},    {XK_Super_L, 0x5B},    {XK_Super_R, 0x5C},    {XK_Menu, 0x5D},
    {XK_Num_Lock, 0x90},  {XK_Scroll_Lock, 0x91},
};
} // namespace

WPARAM VirtualKeyFromKeysym(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z)
        return WPARAM(sym - XK_a + 'A');
    if (sym >= XK_A && sym <= XK_Z)
        return WPARAM(sym - XK_A + 'A');
    if (sym >= XK_0 && sym <= XK_9)
        return WPARAM(sym - XK_0 + '0');
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return WPARAM(sym - XK_KP_0 + 0x60);
    if (sym >= XK_F1 && sym <= XK_F24)
        return WPARAM(sym - XK_F1 + 0x70);
    for (const KeyPair& k : kKeys) {
        if (k.sym == sym)
            return k.vk;
    }
    return 0;
}

bool IsAltKeysym(KeySym sym) { return sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L || sym == XK_Meta_R; }

bool IsF10Keysym(KeySym sym) { return sym == XK_F10; }
