// Pictures, the back buffer, fills, lines and text on cairo and pango.
#include "platform/graphics.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <cairo.h>
#include <pango/pangocairo.h>
#include <png.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/polygon.h"

struct PictureData {
    cairo_surface_t* surface = nullptr;
    ~PictureData() {
        if (surface) cairo_surface_destroy(surface);
    }
};

struct CanvasData {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~CanvasData() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

// A font keeps one layout and reuses it for every text it draws or measures.
struct FontData {
    PangoContext* context = nullptr;
    PangoLayout* layout = nullptr;
    ~FontData() {
        if (layout) g_object_unref(layout);
        if (context) g_object_unref(context);
    }
};

namespace {

void setColour(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                          ((argb >> 24) & 0xFF) / 255.0);
}

// Puts the text into the font's layout; bytes that are not UTF-8 become replacement characters.
void setLayoutText(PangoLayout* layout, const std::string& utf8) {
    if (g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        return;
    }
    gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);
}

// A premultiplied ARGB32 pixel as plain 0xAARRGGBB.
uint32_t unpremultiplied(uint32_t pixel) {
    const uint32_t a = pixel >> 24;
    if (a == 0) return 0;
    if (a == 255) return pixel;
    auto channel = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (channel((pixel >> 16) & 0xFF) << 16) | (channel((pixel >> 8) & 0xFF) << 8) |
           channel(pixel & 0xFF);
}

// One pixel of an image surface as 0xAARRGGBB (premultiplication undone); 0 outside it. A surface without alpha
// keeps an undefined top byte, which reads as opaque.
uint32_t surfacePixel(cairo_surface_t* surface, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) || y >= cairo_image_surface_get_height(surface))
        return 0;
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return 0;
    cairo_surface_flush(surface);
    const uint8_t* bytes = cairo_image_surface_get_data(surface);
    const std::size_t at = static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surface) + x * 4;
    const uint32_t pixel = *reinterpret_cast<const uint32_t*>(bytes + at);
    return format == CAIRO_FORMAT_RGB24 ? pixel | 0xFF000000u : unpremultiplied(pixel);
}

cairo_t* drawingContext(Canvas& canvas) {
    return canvas.data ? canvas.data->cr : nullptr;
}

// An open file, closed when it goes out of scope.
struct OpenFile {
    FILE* file = nullptr;
    explicit OpenFile(const std::string& path) {
        const int descriptor = openFileForReading(path);
        if (descriptor < 0) return;
        file = ::fdopen(descriptor, "rb");
        if (!file) ::close(descriptor);
    }
    ~OpenFile() {
        if (file) std::fclose(file);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
};

// The width and height in the header of the PNG at the file's current place; libpng reads only the chunks
// before the picture data.
bool readHeaderSize(FILE* file, int64_t& width, int64_t& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const bool read = png_image_begin_read_from_stdio(&image, file) != 0;
    width = image.width;
    height = image.height;
    png_image_free(&image);
    return read;
}

cairo_status_t readFromFile(void* file, unsigned char* data, unsigned int length) {
    return std::fread(data, 1, length, static_cast<FILE*>(file)) == length ? CAIRO_STATUS_SUCCESS
                                                                           : CAIRO_STATUS_READ_ERROR;
}

}  // namespace

// A picture of a file unchanged since it was last decoded is the same picture again: pictures are never drawn into.
// Decoded from the one open file whose header was checked, so the picture decoded is the one whose size was read.
Picture decodePictureFile(const std::string& path, std::string* refusal) {
    const OpenFile open(path);
    if (!open.file) return {};
    int64_t width = 0, height = 0;
    if (!readHeaderSize(open.file, width, height)) return {};
    if (width > pictureSideLimit || height > pictureSideLimit || width * height > picturePixelLimit) {
        const std::string why = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                                " pixels, beyond the game's limit of " + std::to_string(pictureSideLimit) +
                                " a side and " + std::to_string(picturePixelLimit) + " pixels in all";
        if (refusal)
            *refusal = why;
        else
            reportRefusedFile(path, "refused: " + why);
        return {};
    }
    if (std::fseek(open.file, 0, SEEK_SET) != 0) return {};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readFromFile, open.file);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0) {
        cairo_surface_destroy(surface);
        return {};
    }
    auto data = std::make_shared<PictureData>();
    data->surface = surface;
    return Picture{data};
}

bool readPictureSize(const std::string& path, int32_t& width, int32_t& height) {
    const OpenFile open(path);
    int64_t wide = 0, high = 0;
    if (!open.file || !readHeaderSize(open.file, wide, high)) return false;
    width = static_cast<int32_t>(std::min<int64_t>(wide, INT32_MAX));
    height = static_cast<int32_t>(std::min<int64_t>(high, INT32_MAX));
    return true;
}

bool pictureLoaded(const Picture& picture) {
    return picture.data != nullptr;
}

int32_t pictureWidth(const Picture& picture) {
    return picture.data ? cairo_image_surface_get_width(picture.data->surface) : 0;
}

int32_t pictureHeight(const Picture& picture) {
    return picture.data ? cairo_image_surface_get_height(picture.data->surface) : 0;
}

uint32_t picturePixel(const Picture& picture, int32_t x, int32_t y) {
    return picture.data ? surfacePixel(picture.data->surface, x, y) : 0;
}

Picture picturePart(const Picture& picture, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!picture.data || width <= 0 || height <= 0) return {};
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, pictureWidth(picture));
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, pictureHeight(picture));
    if (right <= left || bottom <= top) return {};
    cairo_surface_t* source = picture.data->surface;
    // A part wholly inside keeps the picture's own format; one that reaches past it needs the alpha to be clear there.
    const bool inside = left == x && top == y && right == int64_t{x} + width && bottom == int64_t{y} + height;
    cairo_surface_t* part = cairo_image_surface_create(
        inside ? cairo_image_surface_get_format(source) : CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(part) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(part);
        return {};
    }
    cairo_t* cr = cairo_create(part);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, -static_cast<double>(x), -static_cast<double>(y));
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(part);
    auto data = std::make_shared<PictureData>();
    data->surface = part;
    return Picture{data};
}

Canvas createCanvas(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return {};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return {};
    }
    auto data = std::make_shared<CanvasData>();
    data->surface = surface;
    data->cr = cairo_create(surface);
    if (cairo_status(data->cr) != CAIRO_STATUS_SUCCESS) return {};
    cairo_set_source_rgb(data->cr, 0, 0, 0);
    cairo_paint(data->cr);
    return Canvas{data};
}

bool canvasValid(const Canvas& canvas) {
    return canvas.data != nullptr;
}

int32_t canvasWidth(const Canvas& canvas) {
    return canvas.data ? cairo_image_surface_get_width(canvas.data->surface) : 0;
}

int32_t canvasHeight(const Canvas& canvas) {
    return canvas.data ? cairo_image_surface_get_height(canvas.data->surface) : 0;
}

uint32_t canvasPixel(const Canvas& canvas, int32_t x, int32_t y) {
    return canvas.data ? surfacePixel(canvas.data->surface, x, y) : 0;
}

const uint8_t* canvasBytes(const Canvas& canvas, int32_t& stride) {
    if (!canvas.data) {
        stride = 0;
        return nullptr;
    }
    cairo_surface_flush(canvas.data->surface);
    stride = cairo_image_surface_get_stride(canvas.data->surface);
    return cairo_image_surface_get_data(canvas.data->surface);
}

void copyCanvas(Canvas& to, const Canvas& from) {
    cairo_t* cr = drawingContext(to);
    if (!cr || !from.data || canvasWidth(to) != canvasWidth(from) || canvasHeight(to) != canvasHeight(from)) return;
    cairo_surface_flush(from.data->surface);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, from.data->surface, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

bool sameCanvasBytes(const Canvas& one, const Canvas& other) {
    const int32_t width = canvasWidth(one), height = canvasHeight(one);
    if (width == 0 || width != canvasWidth(other) || height != canvasHeight(other)) return false;
    int32_t oneStride = 0, otherStride = 0;
    const uint8_t* oneBytes = canvasBytes(one, oneStride);
    const uint8_t* otherBytes = canvasBytes(other, otherStride);
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        if (std::memcmp(oneBytes + static_cast<std::size_t>(oneStride) * y,
                        otherBytes + static_cast<std::size_t>(otherStride) * y, rowBytes) != 0)
            return false;
    }
    return true;
}

bool saveCanvasPng(const Canvas& canvas, const std::string& path) {
    if (!canvas.data) return false;
    // Always RGBA with alpha, even for an opaque canvas (cairo alone would write RGB then).
    const int32_t width = canvasWidth(canvas), height = canvasHeight(canvas);
    int32_t stride = 0;
    const uint8_t* bytes = canvasBytes(canvas, stride);
    std::vector<uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(bytes + static_cast<std::size_t>(y) * stride);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t argb = unpremultiplied(row[x]);
            uint8_t* out = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            out[0] = static_cast<uint8_t>(argb >> 16);
            out[1] = static_cast<uint8_t>(argb >> 8);
            out[2] = static_cast<uint8_t>(argb);
            out[3] = static_cast<uint8_t>(argb >> 24);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return written;
}

void drawPicture(Canvas& canvas, const Picture& picture, int32_t x, int32_t y) {
    drawPictureRect(canvas, picture, x, y, 0, 0, pictureWidth(picture), pictureHeight(picture));
}

void drawPictureRect(Canvas& canvas, const Picture& picture, int32_t x, int32_t y, int32_t srcX, int32_t srcY,
                     int32_t srcWidth, int32_t srcHeight) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || !picture.data || srcWidth <= 0 || srcHeight <= 0) return;
    // Only the part of the source rectangle that lies on the picture is drawn, at its own place.
    const int64_t left = std::max<int64_t>(srcX, 0);
    const int64_t top = std::max<int64_t>(srcY, 0);
    const int64_t right = std::min<int64_t>(int64_t{srcX} + srcWidth, pictureWidth(picture));
    const int64_t bottom = std::min<int64_t>(int64_t{srcY} + srcHeight, pictureHeight(picture));
    if (right <= left || bottom <= top) return;
    const double destX = static_cast<double>(x) + static_cast<double>(left - srcX);
    const double destY = static_cast<double>(y) + static_cast<double>(top - srcY);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, picture.data->surface, destX - static_cast<double>(left),
                             destY - static_cast<double>(top));
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, destX, destY, static_cast<double>(right - left), static_cast<double>(bottom - top));
    cairo_fill(cr);
    cairo_restore(cr);
}

void fillRect(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || width <= 0 || height <= 0) return;
    setColour(cr, argb);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

void fillEllipse(Canvas& canvas, float x, float y, float width, float height, uint32_t argb) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || !(width > 0) || !(height > 0)) return;
    cairo_save(cr);
    cairo_translate(cr, x + width / 2.0, y + height / 2.0);
    cairo_scale(cr, width / 2.0, height / 2.0);
    cairo_arc(cr, 0, 0, 1, 0, 2 * G_PI);
    cairo_restore(cr);
    setColour(cr, argb);
    cairo_fill(cr);
}

void drawLine(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, float width) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || !(width > 0)) return;
    setColour(cr, argb);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_stroke(cr);
}

Font createFont(int32_t pixelSize) {
    if (pixelSize <= 0) return {};
    auto data = std::make_shared<FontData>();
    data->context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    if (!data->context) return {};
    pango_context_set_language(data->context, pango_language_from_string("ja"));
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, "IPAGothic");
    pango_font_description_set_weight(description, PANGO_WEIGHT_BOLD);
    pango_font_description_set_absolute_size(description, pixelSize * PANGO_SCALE);
    pango_context_set_font_description(data->context, description);
    pango_font_description_free(description);

    data->layout = pango_layout_new(data->context);
    // Tab stops every eight half-width spaces of this font (64 px at 16 px, 80 px at 20 px with IPAGothic),
    // so columns after tabs line up in the menus whatever the text before them.
    pango_layout_set_text(data->layout, "        ", -1);
    int tabInterval = 0;
    pango_layout_get_pixel_size(data->layout, &tabInterval, nullptr);
    if (tabInterval <= 0) tabInterval = pixelSize * 4;
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, tabInterval);
    pango_layout_set_tabs(data->layout, tabs);
    pango_tab_array_free(tabs);
    return Font{data};
}

bool fontValid(const Font& font) {
    return font.data != nullptr;
}

size_t utf8CharactersEnd(const std::string& utf8, size_t begin, size_t end, int32_t count) {
    // A character starts at every byte that is not a UTF-8 continuation byte.
    int32_t characters = 0;
    for (size_t at = begin; at < end; ++at) {
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && ++characters > count) return at;
    }
    return end;
}

std::string drawnPart(const std::string& utf8) {
    std::string part;
    size_t lineStart = 0;
    for (int32_t line = 0; line < drawnLinesLimit && lineStart <= utf8.size(); ++line) {
        const size_t lineEnd = std::min(utf8.find('\n', lineStart), utf8.size());
        const size_t cut = utf8CharactersEnd(utf8, lineStart, lineEnd, drawnLineLimit);
        if (line > 0) part += '\n';
        part.append(utf8, lineStart, cut - lineStart);
        lineStart = lineEnd + 1;
    }
    return part;
}

void drawText(Canvas& canvas, const Font& font, const std::string& utf8, int32_t x, int32_t y, uint32_t argb) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || !font.data || utf8.empty()) return;
    setLayoutText(font.data->layout, drawnPart(utf8));
    setColour(cr, argb);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, font.data->layout);
    cairo_new_path(cr);
}

void textSize(const Font& font, const std::string& utf8, int32_t& width, int32_t& height) {
    width = height = 0;
    if (!font.data || utf8.empty()) return;
    setLayoutText(font.data->layout, drawnPart(utf8));
    int w = 0, h = 0;
    pango_layout_get_pixel_size(font.data->layout, &w, &h);
    width = w;
    height = h;
}

void clipCanvas(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr) return;
    cairo_reset_clip(cr);
    if (width <= 0 || height <= 0) return;
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
}

int32_t missingGlyphCount(const Font& font, const std::string& utf8) {
    if (!font.data || utf8.empty()) return 0;
    setLayoutText(font.data->layout, utf8);
    return pango_layout_get_unknown_glyphs_count(font.data->layout);
}

void fillPolygon(Canvas& canvas, const Polygon& polygon, uint32_t argb) {
    cairo_t* cr = drawingContext(canvas);
    if (!cr || polygon.vertices.size() < 3) return;
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_move_to(cr, polygon.vertices[0].x, polygon.vertices[0].y);
    for (size_t i = 1; i < polygon.vertices.size(); ++i)
        cairo_line_to(cr, polygon.vertices[i].x, polygon.vertices[i].y);
    cairo_close_path(cr);
    setColour(cr, argb);
    cairo_fill(cr);
    cairo_restore(cr);
}
