// mosvik-picgen OUT.png: renders the default picture (800 x 600) with 4 x 4
// supersampling and writes it as an 8-bit RGB PNG. Deterministic: the same
// program always writes the same pixels.
#include <png.h>

#include <cstdio>
#include <vector>

#include "scene.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mosvik-picgen OUT.png\n");
        return 2;
    }
    constexpr int kSub = 4;
    std::vector<png_byte> rgb(std::size_t(picgen::kWidth) * picgen::kHeight * 3);
    for (int y = 0; y < picgen::kHeight; ++y) {
        for (int x = 0; x < picgen::kWidth; ++x) {
            float r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    picgen::Rgb c = picgen::SceneColour(x + (sx + 0.5f) / kSub, y + (sy + 0.5f) / kSub);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                }
            }
            png_byte* p = &rgb[(std::size_t(y) * picgen::kWidth + x) * 3];
            constexpr float kScale = 1.0f / (kSub * kSub);
            p[0] = png_byte(r * kScale + 0.5f);
            p[1] = png_byte(g * kScale + 0.5f);
            p[2] = png_byte(b * kScale + 0.5f);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picgen::kWidth;
    image.height = picgen::kHeight;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, argv[1], 0, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "mosvik-picgen: cannot write %s: %s\n", argv[1], image.message);
        return 2;
    }
    return 0;
}
