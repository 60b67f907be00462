// Key symbols of X as the virtual-key codes of the key messages. The saver
// ends on any key, so the codes only need to be plausible: letters, digits,
// the common editing, cursor, function and modifier keys; 0 for the rest.
#pragma once

#include <X11/X.h>

#include "framework/types.h"

WPARAM VirtualKeyFromKeysym(KeySym sym);
bool IsAltKeysym(KeySym sym);
bool IsF10Keysym(KeySym sym);
