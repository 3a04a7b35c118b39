// Pictures, the back buffer, fonts, text and filled shapes: the game's only door to cairo and pango.
// Every drawing call is safe on an empty picture or canvas and then draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"

struct PictureData;
struct CanvasData;
struct FontData;

// A loaded picture; an empty one (a file that could not be read) draws nothing.
// Two are equal when they are the same decoded picture.
struct Picture {
    std::shared_ptr<PictureData> data;
    bool operator==(const Picture&) const = default;
};

// A drawing surface with a persistent content, such as the 900 x 600 back buffer.
struct Canvas {
    std::shared_ptr<CanvasData> data;
    bool operator==(const Canvas&) const = default;  // the same surface
};

// A bold sans-serif font of a fixed pixel size with its own tab interval.
struct Font {
    std::shared_ptr<FontData> data;
    bool operator==(const Font&) const = default;  // the same font object
};

// The largest picture the game loads: no side above 8192 pixels and no more than 4096 x 4096 pixels in all
// (64 MB once decoded). The size is read from the file's header, so a larger picture is refused before any of it
// is decoded.
constexpr int32_t pictureSideLimit = 8192;
constexpr int64_t picturePixelLimit = int64_t{4096} * 4096;

// The decoding itself, of a path as the file system names it; safe on any thread. Why a picture beyond the size
// limits is refused ("the picture is W x H pixels, beyond ...") goes to refusal when it is given, else to
// standard error.
Picture decodePictureFile(const std::string& path, std::string* refusal = nullptr);
// The size a PNG file's header declares, read without decoding the picture; false when the file cannot be read
// or is no PNG.
bool readPictureSize(const std::string& path, int32_t& width, int32_t& height);
bool pictureLoaded(const Picture& picture);
int32_t pictureWidth(const Picture& picture);
int32_t pictureHeight(const Picture& picture);
// One pixel of a picture as 0xAARRGGBB (premultiplication undone); 0 outside the picture.
uint32_t picturePixel(const Picture& picture, int32_t x, int32_t y);
// A rectangle of a picture copied out as a picture of that size of its own, transparent where the rectangle leaves
// the picture, so that drawing it draws what drawing that rectangle of the picture would; empty when the rectangle
// misses the picture altogether. The copy holds nothing of the picture, which can then be let go.
Picture picturePart(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height);

// Makes an ARGB canvas painted opaque black once; it is never cleared afterwards.
Canvas createCanvas(int32_t width, int32_t height);
bool canvasValid(const Canvas& canvas);
int32_t canvasWidth(const Canvas& canvas);
int32_t canvasHeight(const Canvas& canvas);
// One pixel as 0xAARRGGBB (premultiplication undone); 0 outside the canvas.
uint32_t canvasPixel(const Canvas& canvas, int32_t x, int32_t y);
// Row-major 0xAARRGGBB pixels (premultiplied as cairo keeps them), stride in bytes.
const uint8_t* canvasBytes(const Canvas& canvas, int32_t& stride);
// Copies one canvas over another of the same size, pixel for pixel.
void copyCanvas(Canvas& to, const Canvas& from);
// Whether two valid canvases of one size hold the same pixels, byte for byte.
bool sameCanvasBytes(const Canvas& one, const Canvas& other);
// Writes the canvas as an 8-bit RGBA, non-interlaced PNG; false when the file cannot be written.
bool saveCanvasPng(const Canvas& canvas, const std::string& path);

// Whole picture at its own size with its top-left corner at (x, y).
void drawPicture(Canvas& canvas, const Picture& picture, int32_t x, int32_t y);
// Source rectangle of a picture, one source pixel to one destination pixel; parts outside the picture draw nothing.
void drawPictureRect(Canvas& canvas, const Picture& picture, int32_t x, int32_t y, int32_t srcX, int32_t srcY,
                     int32_t srcWidth, int32_t srcHeight);
// Alpha-blended solid fills, colour 0xAARRGGBB.
void fillRect(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb);
void fillEllipse(Canvas& canvas, float x, float y, float width, float height, uint32_t argb);
void drawLine(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, float width);
// Fills an area polygon with the even-odd rule (used by the authors' map painter).
struct Polygon;
void fillPolygon(Canvas& canvas, const Polygon& polygon, uint32_t argb);

// The game's two fonts: 16 px and 20 px, bold.
Font createFont(int32_t pixelSize);
bool fontValid(const Font& font);
// The most of a text that is laid out to be drawn or measured: the first drawnLineLimit characters of each of its
// first drawnLinesLimit lines. Even at the smallest font that is far more than the 900 x 600 picture shows, and a
// text of any length (a name of a megabyte) then costs no more to draw than that.
constexpr int32_t drawnLineLimit = 256, drawnLinesLimit = 64;
// The part of a text that drawText draws: the text itself when it lies within the limits above.
std::string drawnPart(const std::string& utf8);
// Where the first `count` characters of utf8[begin, end) end, as a byte offset that never splits a character;
// `end` when the span holds no more than `count`.
size_t utf8CharactersEnd(const std::string& utf8, size_t begin, size_t end, int32_t count);
// Text from a layout point, no wrapping or clipping; "\n" starts a line below, "\t" goes to the next tab stop.
// Only drawnPart of the text is drawn.
void drawText(Canvas& canvas, const Font& font, const std::string& utf8, int32_t x, int32_t y, uint32_t argb);
// The size in pixels drawnPart of the text takes when drawn.
void textSize(const Font& font, const std::string& utf8, int32_t& width, int32_t& height);
// Draws only inside the rectangle until the clip is lifted (a width or height of 0 lifts it).
void clipCanvas(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height);
// The number of characters of the text that the font has no glyph for.
int32_t missingGlyphCount(const Font& font, const std::string& utf8);
