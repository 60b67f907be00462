// The saver's built-in resources as the core reads them: the string table
// and the packed bitmaps (the background tile), compiled into the program.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/types.h"
#include "resources/resource.h"

namespace res {
// String-table entry; an empty text for an unknown identifier.
const char* LoadString(UINT id);
// Packed DIB of a bitmap resource; empty for an unknown identifier.
std::vector<BYTE> BuiltinBitmap(UINT id);
} // namespace res
