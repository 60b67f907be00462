// The project's default picture (PNG) and message (UTF-8), built into the
// tool from src/resources/ so that a saver can be made with no input.
#pragma once

#include <cstddef>
#include <string>

struct EmbeddedBytes {
    const unsigned char* data;
    std::size_t size;
};

EmbeddedBytes DefaultPicturePng();
// The default message without its trailing line break.
std::string DefaultMessageUtf8();
