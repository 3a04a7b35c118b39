// What the window benchmarks wait for: the first title frame, known by three rows of its pixels drawn first by the
// headless runner (the same start-up and tick), and the window that shows them under the virtual X server.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cairo.h>

namespace titleFrame {

constexpr int frameWidth = 900;
constexpr std::array<int, 3> sampleRows = {120, 310, 450};

using Row = std::vector<uint32_t>;
using Rows = std::array<Row, sampleRows.size()>;

// The sample rows of the game's first title frame, as 0xRRGGBB, drawn by the headless runner's first tick.
inline bool titleRows(const std::filesystem::path& tools, Rows& rows) {
    const std::filesystem::path shot = std::filesystem::temp_directory_path() /
                                       ("quorvath-title-" + std::to_string(getpid()) + ".png");
    const std::string command = "printf 'tick\\nshot " + shot.string() + "\\n' | '" +
                                (tools / "quorvath-sim").string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    cairo_surface_t* frame = cairo_image_surface_create_from_png(shot.c_str());
    std::error_code ignored;
    std::filesystem::remove(shot, ignored);
    const bool whole = cairo_surface_status(frame) == CAIRO_STATUS_SUCCESS &&
                       cairo_image_surface_get_width(frame) == frameWidth &&
                       cairo_image_surface_get_height(frame) > sampleRows.back();
    for (size_t i = 0; whole && i < rows.size(); ++i) {
        const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(frame) +
                                                            cairo_image_surface_get_stride(frame) * sampleRows[i]);
        rows[i].assign(row, row + frameWidth);
        for (uint32_t& pixel : rows[i]) pixel &= 0xFFFFFF;
    }
    cairo_surface_destroy(frame);
    return whole;
}

// A window that went away between its map and our look at it is no error of ours.
inline int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

inline bool closeEnough(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2) return false;
    }
    return true;
}

// True when the window shows the rows (each colour within 2 of the frame's, as the X server may round).
inline bool windowShows(Display* display, Window window, const Rows& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        XImage* image = XGetImage(display, window, 0, sampleRows[i], frameWidth, 1, AllPlanes, ZPixmap);
        if (!image) return false;
        bool same = true;
        for (int x = 0; x < frameWidth && same; ++x) same = closeEnough(XGetPixel(image, x, 0) & 0xFFFFFF, rows[i][x]);
        XDestroyImage(image);
        if (!same) return false;
    }
    return true;
}

inline bool windowNamed(Display* display, Window window, const std::string& title) {
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name) return false;
    const bool same = title == name;
    XFree(name);
    return same;
}

}  // namespace titleFrame
