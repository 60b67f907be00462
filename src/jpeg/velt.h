// Velt: the saver's own baseline JPEG decoder (public interface).
//
// It decodes exactly one kind of stream: baseline sequential DCT (SOF0/SOF1),
// 8-bit samples, Huffman coding, one scan holding every component, one or
// three components. Everything else is refused with Velt::Error. Pictures
// come out row by row, top row first, as R,G,B bytes (colour) or one byte per
// pixel (grey); memory holds one MCU row, never the whole picture.
#pragma once

#include "jpeg/source.h"  // Error, Source, Reader, CreateDecoder, DestroyDecoder
#include "jpeg/decoder.h" // the complete Decoder, so that callers can ask it for rows
