// The landscape, painted back to front: every layer that covers the point
// replaces the colour below it. Shapes are plain geometry (circles,
// ellipses, rectangles, triangles and smooth ridge lines); the flowers sit
// at places drawn from a fixed-seed generator, so the picture never changes.
#include "scene.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace picgen {
namespace {

Rgb Mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float Clamp01(float t) { return t < 0 ? 0 : t > 1 ? 1 : t; }

bool InCircle(float x, float y, float cx, float cy, float r)
{
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r;
}

bool InEllipse(float x, float y, float cx, float cy, float rx, float ry)
{
    float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy < 1;
}

bool InRect(float x, float y, float l, float t, float r, float b) { return x >= l && x < r && y >= t && y < b; }

// Point inside the triangle (a, b, c), either winding.
bool InTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy)
{
    auto side = [&](float px, float py, float qx, float qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
    float d1 = side(ax, ay, bx, by), d2 = side(bx, by, cx, cy), d3 = side(cx, cy, ax, ay);
    bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
    return !(neg && pos);
}

float Bump(float x, float centre, float width) { return std::exp(-((x - centre) / width) * ((x - centre) / width)); }

// Ridge lines: the top edge of each land layer at column x.
float MountainTop(float x) { return 290 - 60 * Bump(x, 150, 110) - 95 * Bump(x, 430, 120) - 45 * Bump(x, 720, 90); }
// A ragged snow line, so the snow cap reads as snow rather than as a cut.
float SnowLine(float x) { return 226 + 8 * std::sin(x / 11) + 5 * std::sin(x / 4.7f); }
float HillTop(float x) { return 345 - 28 * std::sin(x / 90 + 0.5f) - 16 * std::sin(x / 37 + 1.3f); }
float MeadowTop(float x) { return 405 + 12 * std::sin(x / 120); }

constexpr float kLakeX = 230, kLakeY = 478, kLakeRx = 205, kLakeRy = 64;

// The path runs from the door down to the bottom edge, widening as it comes nearer.
bool InPath(float x, float y)
{
    if (y < 470)
        return false;
    float d = y - 470;
    return x >= 548 - d * 0.45f && x < 572 + d * 0.6f;
}

struct Flower {
    float x, y;
    Rgb petals;
};

std::array<Flower, 70> MakeFlowers()
{
    constexpr Rgb kPetals[] = {{230, 40, 50}, {250, 220, 40}, {250, 250, 250}, {200, 60, 200}};
    std::array<Flower, 70> out{};
    std::uint32_t state = 20240611u;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    };
    std::size_t n = 0;
    while (n < out.size()) {
        float x = 8 + next() * 784, y = 520 + next() * 72;
        int colour = int(next() * 4) & 3;
        if (InEllipse(x, y, kLakeX, kLakeY, kLakeRx + 16, kLakeRy + 14) || InPath(x - 6, y) || InPath(x + 6, y))
            continue;
        out[n++] = {x, y, kPetals[colour]};
    }
    return out;
}

const std::array<Flower, 70>& Flowers()
{
    static const std::array<Flower, 70> s_flowers = MakeFlowers();
    return s_flowers;
}

// A round tree: trunk and a canopy of three circles, lit from the upper left.
bool PaintTree(float x, float y, float cx, float ground, float trunk, float radius, Rgb& c)
{
    const float top = ground - trunk;
    const float cy = top - radius * 0.55f;
    const float lobes[3][3] = {{cx, cy, radius},
                               {cx - radius * 0.65f, top - radius * 0.05f, radius * 0.72f},
                               {cx + radius * 0.65f, top - radius * 0.05f, radius * 0.72f}};
    for (const auto& l : lobes) {
        if (InCircle(x, y, l[0], l[1], l[2])) {
            bool lit = InCircle(x, y, l[0] - l[2] * 0.3f, l[1] - l[2] * 0.3f, l[2] * 0.55f);
            c = lit ? Rgb{70, 160, 65} : Rgb{30, 115, 45};
            return true;
        }
    }
    if (InRect(x, y, cx - radius * 0.16f, top - 4, cx + radius * 0.16f, ground)) {
        c = {115, 72, 38};
        return true;
    }
    return false;
}

void PaintHouse(float x, float y, Rgb& c)
{
    if (InRect(x, y, 598, 312, 620, 360))
        c = {150, 60, 45}; // chimney
    if (InTriangle(x, y, 462, 377, 658, 377, 560, 300))
        c = InTriangle(x, y, 474, 371, 646, 371, 560, 310) ? Rgb{110, 50, 42} : Rgb{70, 35, 30}; // roof
    if (InRect(x, y, 480, 377, 640, 470)) {
        c = {210, 70, 52}; // walls
        if (std::fmod(y - 377, 12.f) < 1.2f)
            c = {185, 58, 45}; // courses of brick
    }
    if (InRect(x, y, 546, 418, 574, 470)) {
        c = {120, 70, 35}; // door
        if (InCircle(x, y, 567, 446, 2.5f))
            c = {240, 210, 80};
    }
    for (float wx : {494.f, 590.f}) {
        if (InRect(x, y, wx, 393, wx + 36, 427)) {
            bool frame = !InRect(x, y, wx + 3, 396, wx + 33, 424);
            bool bar = std::fabs(x - (wx + 18)) < 1.6f || std::fabs(y - 410) < 1.6f;
            c = frame ? Rgb{245, 245, 240} : bar ? Rgb{70, 45, 30} : Rgb{255, 232, 130};
        }
    }
}

void PaintBoat(float x, float y, Rgb& c)
{
    if (InRect(x, y, 262, 392, 265, 462))
        c = {90, 60, 40}; // mast
    if (InTriangle(x, y, 267, 398, 267, 456, 306, 456))
        c = {252, 252, 248}; // main sail
    if (InTriangle(x, y, 260, 408, 260, 456, 230, 456))
        c = {240, 90, 60}; // jib
    if (y >= 461 && y < 476) {
        float d = (y - 461) * 0.8f;
        if (x >= 222 + d && x < 306 - d)
            c = y < 465 ? Rgb{245, 245, 245} : Rgb{130, 60, 40}; // hull
    }
}

} // namespace

Rgb SceneColour(float x, float y)
{
    // Sky: deep blue overhead, pale at the horizon.
    Rgb c = Mix({30, 90, 200}, {175, 220, 250}, Clamp01(y / 330));

    // Sun with its glow.
    float ds = std::hypot(x - 640, y - 105);
    if (ds < 100) {
        float t = (1 - ds / 100) * (1 - ds / 100);
        c = Mix(c, {255, 245, 190}, 0.7f * t);
    }
    if (ds < 46)
        c = {255, 212, 45};

    // Clouds.
    const float clouds[][3] = {{120, 108, 22}, {150, 95, 30}, {186, 80, 38}, {224, 94, 30}, {190, 108, 26},
                               {366, 64, 20}, {396, 50, 28}, {428, 62, 22}, {400, 72, 20}};
    for (const auto& k : clouds)
        if (InCircle(x, y, k[0], k[1], k[2]))
            c = y > k[1] + k[2] * 0.45f ? Rgb{215, 225, 240} : Rgb{252, 252, 255};

    // Mountains with a snowy peak.
    float mountain = MountainTop(x);
    if (y >= mountain)
        c = y < SnowLine(x) ? Rgb{240, 244, 250} : Mix({100, 118, 160}, {125, 140, 170}, Clamp01((y - 232) / 80));

    // Green hills, then the meadow in front of them.
    if (y >= HillTop(x))
        c = Mix({75, 160, 70}, {55, 130, 55}, Clamp01((y - 300) / 100));
    if (y >= MeadowTop(x))
        c = Mix({120, 200, 80}, {70, 150, 50}, Clamp01((y - 405) / 195));

    // Trees behind the lake and the house.
    PaintTree(x, y, 80, 428, 30, 30, c);
    PaintTree(x, y, 425, 438, 34, 32, c);

    // Lake: a sandy shore, then water with ripples.
    if (InEllipse(x, y, kLakeX, kLakeY, kLakeRx + 9, kLakeRy + 7))
        c = {220, 200, 145};
    if (InEllipse(x, y, kLakeX, kLakeY, kLakeRx, kLakeRy)) {
        float depth = 1 - std::hypot((x - kLakeX) / kLakeRx, (y - kLakeY) / kLakeRy);
        c = Mix({90, 160, 225}, {30, 95, 185}, Clamp01(depth * 2));
        if (std::fmod(y + 3 * std::sin(x / 23), 13.f) < 1.8f)
            c = Mix(c, {200, 230, 250}, 0.6f);
    }
    PaintBoat(x, y, c);

    if (InPath(x, y))
        c = {228, 204, 152};
    PaintHouse(x, y, c);

    // Trees in front of the house.
    PaintTree(x, y, 705, 488, 44, 42, c);
    PaintTree(x, y, 762, 462, 34, 30, c);

    for (const Flower& f : Flowers()) {
        if (InCircle(x, y, f.x, f.y, 4.5f))
            c = InCircle(x, y, f.x, f.y, 1.6f) ? Rgb{250, 200, 30} : f.petals;
    }
    return c;
}

} // namespace picgen
