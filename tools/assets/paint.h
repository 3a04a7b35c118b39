// Drawing helpers shared by every picture the asset tool makes: the palette, small pixel-art sprites that are
// outlined and scaled up, text labels in the game's font, and deterministic PNG output.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Everything here is in namespace paint, apart from the game's own drawing in src/platform.
namespace paint {

// The limited palette every picture is drawn from (0xRRGGBB).
namespace colors {
constexpr uint32_t ink = 0x221a30;
constexpr uint32_t night = 0x2e2c50;
constexpr uint32_t navy = 0x35488e;
constexpr uint32_t blue = 0x4079d6;
constexpr uint32_t sky = 0x6cc2ee;
constexpr uint32_t ice = 0xc0eef2;
constexpr uint32_t white = 0xfaf6ec;
constexpr uint32_t silver = 0xaab4c6;
constexpr uint32_t stone = 0x6e7890;
constexpr uint32_t slate = 0x434a64;
constexpr uint32_t plum = 0x6c2f64;
constexpr uint32_t violet = 0x9a5ccc;
constexpr uint32_t red = 0xca404e;
constexpr uint32_t orange = 0xf08a4a;
constexpr uint32_t gold = 0xf8d070;
constexpr uint32_t lime = 0xb2e070;
constexpr uint32_t green = 0x4aae5c;
constexpr uint32_t forest = 0x2a6e58;
constexpr uint32_t brown = 0x8c5636;
constexpr uint32_t darkBrown = 0x5a3626;
constexpr uint32_t tan = 0xd2a272;
constexpr uint32_t sand = 0xe8d8a2;
constexpr uint32_t skin = 0xf6c6a2;
constexpr uint32_t pink = 0xf08cb2;
}  // namespace colors

struct SurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct PenFree {
    void operator()(cairo_t* pen) const { cairo_destroy(pen); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceFree>;
using PenPtr = std::unique_ptr<cairo_t, PenFree>;

// A transparent ARGB surface.
SurfacePtr newSurface(int width, int height);
// A drawing context on the surface with anti-aliasing off, so every edge is a whole pixel.
PenPtr newPen(cairo_surface_t* surface);
int surfaceWidth(cairo_surface_t* surface);
int surfaceHeight(cairo_surface_t* surface);

// Colour mixing: t = 0 gives a, t = 1 gives b.
uint32_t mix(uint32_t a, uint32_t b, double t);
uint32_t lighter(uint32_t rgb, double t);
uint32_t darker(uint32_t rgb, double t);

void setColor(cairo_t* pen, uint32_t rgb, double alpha = 1.0);
void fillRect(cairo_t* pen, double x, double y, double w, double h, uint32_t rgb, double alpha = 1.0);
void fillEllipse(cairo_t* pen, double cx, double cy, double rx, double ry, uint32_t rgb, double alpha = 1.0);
void fillPolygon(cairo_t* pen, const std::vector<double>& xy, uint32_t rgb, double alpha = 1.0);
void strokeLine(cairo_t* pen, double x1, double y1, double x2, double y2, double width, uint32_t rgb,
                double alpha = 1.0);

// Straight (not premultiplied) pixel access; 0 outside the surface.
uint32_t getPixel(cairo_surface_t* surface, int x, int y);
void setPixel(cairo_surface_t* surface, int x, int y, uint32_t argb);

// A copy with a one-pixel outline of the given colour around every opaque shape.
SurfacePtr outlined(cairo_surface_t* surface, uint32_t rgb);
// A copy scaled up by a whole factor with nearest-neighbour pixels.
SurfacePtr scaledUp(cairo_surface_t* surface, int factor);
// A copy flipped left to right.
SurfacePtr mirrored(cairo_surface_t* surface);
// Draws a whole surface with its top-left corner at (x, y), pixel for pixel.
void blit(cairo_t* pen, cairo_surface_t* source, int x, int y);

// A label in the game's Japanese font, bold, from its top-left layout point.
void drawLabel(cairo_t* pen, const std::string& text, double x, double y, int pixelSize, uint32_t rgb,
               bool crisp = false);
// Width and height of a label in pixels.
void labelSize(const std::string& text, int pixelSize, int& width, int& height);
// The distance between two lines of the game's font at that size.
int lineHeight(int pixelSize);

// Writes the surface as a PNG; the game's path spelling is turned into a path below the world folder.
// False when the path leaves the folder or the file cannot be written.
bool writePng(cairo_surface_t* surface, const std::string& gamePath);
// The file-system path of a game path ("pict\\man.png" -> "pict/man.png"); empty when unsafe.
std::string outputPath(const std::string& gamePath);

// Deterministic pseudo-random numbers: a fixed seed always gives the same sequence.
struct Random {
    uint64_t state = 1;
};
Random seededRandom(uint64_t seed);
uint32_t nextRandom(Random& random);
// Uniform in [low, high].
int randomRange(Random& random, int low, int high);
double randomUnit(Random& random);
uint64_t hashText(const std::string& text);
// A stable hash of a grid point, for textures.
uint32_t hashPoint(int x, int y, uint32_t salt);

}  // namespace paint
