// Drawing helpers shared by every picture the asset tool makes.
#include "paint.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace paint {

namespace {

double channel(uint32_t rgb, int shift) {
    return static_cast<double>((rgb >> shift) & 0xff) / 255.0;
}

uint32_t* rowOf(cairo_surface_t* surface, int y) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * cairo_image_surface_get_stride(surface));
}

PangoLayout* newLayout(cairo_t* pen, const std::string& text, int pixelSize, bool crisp) {
    PangoLayout* layout = pango_cairo_create_layout(pen);
    PangoContext* context = pango_layout_get_context(layout);
    pango_context_set_language(context, pango_language_from_string("ja"));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, crisp ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    PangoFontDescription* font = pango_font_description_from_string("IPAGothic");
    pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
    pango_font_description_set_absolute_size(font, pixelSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}

}  // namespace

SurfacePtr newSurface(int width, int height) {
    return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height)));
}

PenPtr newPen(cairo_surface_t* surface) {
    cairo_t* pen = cairo_create(surface);
    cairo_set_antialias(pen, CAIRO_ANTIALIAS_NONE);
    return PenPtr(pen);
}

int surfaceWidth(cairo_surface_t* surface) {
    return cairo_image_surface_get_width(surface);
}
int surfaceHeight(cairo_surface_t* surface) {
    return cairo_image_surface_get_height(surface);
}

uint32_t mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double value = channel(a, shift) * (1 - t) + channel(b, shift) * t;
        result |= static_cast<uint32_t>(std::lround(value * 255.0)) << shift;
    }
    return result;
}

uint32_t lighter(uint32_t rgb, double t) {
    return mix(rgb, 0xffffff, t);
}
uint32_t darker(uint32_t rgb, double t) {
    return mix(rgb, colors::ink, t);
}

void setColor(cairo_t* pen, uint32_t rgb, double alpha) {
    cairo_set_source_rgba(pen, channel(rgb, 16), channel(rgb, 8), channel(rgb, 0), alpha);
}

void fillRect(cairo_t* pen, double x, double y, double w, double h, uint32_t rgb, double alpha) {
    setColor(pen, rgb, alpha);
    cairo_rectangle(pen, x, y, w, h);
    cairo_fill(pen);
}

void fillEllipse(cairo_t* pen, double cx, double cy, double rx, double ry, uint32_t rgb, double alpha) {
    if (rx <= 0 || ry <= 0) return;
    setColor(pen, rgb, alpha);
    cairo_save(pen);
    cairo_translate(pen, cx, cy);
    cairo_scale(pen, rx, ry);
    cairo_arc(pen, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(pen);
    cairo_fill(pen);
}

void fillPolygon(cairo_t* pen, const std::vector<double>& xy, uint32_t rgb, double alpha) {
    if (xy.size() < 6) return;
    setColor(pen, rgb, alpha);
    cairo_move_to(pen, xy[0], xy[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(pen, xy[i], xy[i + 1]);
    cairo_close_path(pen);
    cairo_fill(pen);
}

void strokeLine(cairo_t* pen, double x1, double y1, double x2, double y2, double width, uint32_t rgb, double alpha) {
    setColor(pen, rgb, alpha);
    cairo_set_line_width(pen, width);
    cairo_set_line_cap(pen, CAIRO_LINE_CAP_SQUARE);
    cairo_move_to(pen, x1, y1);
    cairo_line_to(pen, x2, y2);
    cairo_stroke(pen);
}

uint32_t getPixel(cairo_surface_t* surface, int x, int y) {
    if (x < 0 || y < 0 || x >= surfaceWidth(surface) || y >= surfaceHeight(surface)) return 0;
    cairo_surface_flush(surface);
    const uint32_t value = rowOf(surface, y)[x];
    const uint32_t alpha = value >> 24;
    if (alpha == 0) return 0;
    if (alpha == 255) return value;
    uint32_t result = alpha << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = std::min<uint32_t>(255, (((value >> shift) & 0xff) * 255 + alpha / 2) / alpha);
        result |= c << shift;
    }
    return result;
}

void setPixel(cairo_surface_t* surface, int x, int y, uint32_t argb) {
    if (x < 0 || y < 0 || x >= surfaceWidth(surface) || y >= surfaceHeight(surface)) return;
    const uint32_t alpha = argb >> 24;
    uint32_t value = alpha << 24;
    for (int shift = 0; shift <= 16; shift += 8) value |= ((((argb >> shift) & 0xff) * alpha + 127) / 255) << shift;
    rowOf(surface, y)[x] = value;
}

SurfacePtr outlined(cairo_surface_t* surface, uint32_t rgb) {
    const int w = surfaceWidth(surface), h = surfaceHeight(surface);
    SurfacePtr result = newSurface(w, h);
    cairo_surface_flush(surface);
    auto solid = [&](int x, int y) { return (getPixel(surface, x, y) >> 24) >= 128; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (solid(x, y)) {
                setPixel(result.get(), x, y, getPixel(surface, x, y) | 0xff000000u);
            } else if (solid(x - 1, y) || solid(x + 1, y) || solid(x, y - 1) || solid(x, y + 1)) {
                setPixel(result.get(), x, y, 0xff000000u | rgb);
            }
        }
    }
    cairo_surface_mark_dirty(result.get());
    return result;
}

SurfacePtr scaledUp(cairo_surface_t* surface, int factor) {
    const int w = surfaceWidth(surface), h = surfaceHeight(surface);
    SurfacePtr result = newSurface(w * factor, h * factor);
    cairo_surface_flush(surface);
    for (int y = 0; y < h * factor; ++y) {
        const uint32_t* source = rowOf(surface, y / factor);
        uint32_t* target = rowOf(result.get(), y);
        for (int x = 0; x < w * factor; ++x) target[x] = source[x / factor];
    }
    cairo_surface_mark_dirty(result.get());
    return result;
}

SurfacePtr mirrored(cairo_surface_t* surface) {
    const int w = surfaceWidth(surface), h = surfaceHeight(surface);
    SurfacePtr result = newSurface(w, h);
    cairo_surface_flush(surface);
    for (int y = 0; y < h; ++y) {
        const uint32_t* source = rowOf(surface, y);
        uint32_t* target = rowOf(result.get(), y);
        for (int x = 0; x < w; ++x) target[x] = source[w - 1 - x];
    }
    cairo_surface_mark_dirty(result.get());
    return result;
}

void blit(cairo_t* pen, cairo_surface_t* source, int x, int y) {
    cairo_save(pen);
    cairo_set_source_surface(pen, source, x, y);
    cairo_pattern_set_filter(cairo_get_source(pen), CAIRO_FILTER_NEAREST);
    cairo_paint(pen);
    cairo_restore(pen);
}

void drawLabel(cairo_t* pen, const std::string& text, double x, double y, int pixelSize, uint32_t rgb, bool crisp) {
    PangoLayout* layout = newLayout(pen, text, pixelSize, crisp);
    setColor(pen, rgb);
    cairo_move_to(pen, x, y);
    pango_cairo_show_layout(pen, layout);
    g_object_unref(layout);
}

void labelSize(const std::string& text, int pixelSize, int& width, int& height) {
    SurfacePtr scratch = newSurface(1, 1);
    PenPtr pen = newPen(scratch.get());
    PangoLayout* layout = newLayout(pen.get(), text, pixelSize, false);
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
}

int lineHeight(int pixelSize) {
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    labelSize("0", pixelSize, w1, h1);
    labelSize("0\n0", pixelSize, w2, h2);
    return std::max(1, h2 - h1);
}

std::string outputPath(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() == '/') return {};
    const std::filesystem::path relative(path);
    for (const auto& part : relative) {
        if (part == "..") return {};
    }
    return path;
}

bool writePng(cairo_surface_t* surface, const std::string& gamePath) {
    const std::string path = outputPath(gamePath);
    if (path.empty()) return false;
    const std::filesystem::path file(path);
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    cairo_surface_flush(surface);
    const std::string temporary = path + ".part";
    if (cairo_surface_write_to_png(surface, temporary.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    std::filesystem::rename(temporary, file, ignored);
    return !ignored;
}

Random seededRandom(uint64_t seed) {
    Random random;
    random.state = seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    nextRandom(random);
    return random;
}

uint32_t nextRandom(Random& random) {
    uint64_t z = (random.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
}

int randomRange(Random& random, int low, int high) {
    if (high <= low) return low;
    return low + static_cast<int>(nextRandom(random) % static_cast<uint32_t>(high - low + 1));
}

double randomUnit(Random& random) {
    return static_cast<double>(nextRandom(random)) / 4294967296.0;
}

uint64_t hashText(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

uint32_t hashPoint(int x, int y, uint32_t salt) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + salt * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

}  // namespace paint
