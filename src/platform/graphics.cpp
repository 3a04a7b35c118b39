// Placeholder until the unit is built.
#include "platform/graphics.h"

Picture loadPicture(const std::string&) { return {}; }
bool pictureLoaded(const Picture& p) { return p.data != nullptr; }
int32_t pictureWidth(const Picture&) { return 0; }
int32_t pictureHeight(const Picture&) { return 0; }
Canvas createCanvas(int32_t, int32_t) { return {}; }
bool canvasValid(const Canvas& c) { return c.data != nullptr; }
int32_t canvasWidth(const Canvas&) { return 0; }
int32_t canvasHeight(const Canvas&) { return 0; }
uint32_t canvasPixel(const Canvas&, int32_t, int32_t) { return 0; }
const uint8_t* canvasBytes(const Canvas&, int32_t& stride) { stride = 0; return nullptr; }
bool saveCanvasPng(const Canvas&, const std::string&) { return false; }
void drawPicture(Canvas&, const Picture&, int32_t, int32_t) {}
void drawPictureRect(Canvas&, const Picture&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void fillRect(Canvas&, int32_t, int32_t, int32_t, int32_t, uint32_t) {}
void fillEllipse(Canvas&, float, float, float, float, uint32_t) {}
void drawLine(Canvas&, int32_t, int32_t, int32_t, int32_t, uint32_t, float) {}
Font createFont(int32_t) { return {}; }
bool fontValid(const Font& f) { return f.data != nullptr; }
void drawText(Canvas&, const Font&, const std::string&, int32_t, int32_t, uint32_t) {}
int32_t missingGlyphCount(const Font&, const std::string&) { return 0; }
