// The pack window's preview of the two screens a saver shows: the whole
// picture and the message. It draws with the same GDI calls and the same
// screen arithmetic as the saver, over a plain background instead of the
// saver's tile. Windows side only.
#pragma once

#include <windows.h>

#include <string>

#include "pack_gui.h"

// The whole picture centred in `screen` as the saver places it (nothing
// but the background when `picture` is empty).
void PaintPicturePreview(HDC dc, const RECT& screen, const GuiPicture& picture);

// `text` (the message as stored, read as Windows-1252) in `request`'s face,
// colour and style, at the size the saver would choose for `screen`;
// `dpi` is the window's, which sets the point size of the measuring font.
void PaintMessagePreview(HDC dc, const RECT& screen, const std::wstring& text, const GuiRequest& request, int dpi);
