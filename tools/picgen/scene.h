// The default picture's scene: a landscape (sky, sun, clouds, mountains,
// hills, a lake with a sailing boat, a house, trees, a path, flowers) as a
// function of a point, so the renderer can supersample it. Bold shapes and
// distinct colours keep a jigsaw of it easy to follow.
#pragma once

namespace picgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Colour of the scene at (x, y) in picture pixels, y downward.
Rgb SceneColour(float x, float y);

} // namespace picgen
