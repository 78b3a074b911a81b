// The highlighter's arithmetic: the pen colour laid over the picture at an opacity, so the slide
// shows through. A stroke blends each pixel it covers once, however often it crosses itself:
// what GDI draws of each piece lands in a fresh coverage mask, and only the pixels the stroke
// has not blended yet are blended, from the picture as it is there (still the picture from
// before the stroke). A second stroke starts with an empty record and blends over the first.
#pragma once

#include <cstdint>

#include "draw/draw_geometry.h"
#include "zoom/view_scaler.h"

// The stored opacity as the blend uses it: 10 to 100 percent.
int32_t HighlighterOpacity(int32_t storedPercent);

// `under` (0x00RRGGBB, as a 32-bit DIB holds it) with `colour` (a COLORREF, red in the low byte)
// laid over it at `opacityPercent`, each channel rounded to the nearest level.
uint32_t BlendPixel(uint32_t under, uint32_t colour, int32_t opacityPercent);

// One bit per pixel, rows top-down and padded to four bytes, the most significant bit of a byte
// the leftmost pixel: the layout of a 1-bit DIB section.
struct CoverageMask {
    uint8_t* bits;
    int32_t width;
    int32_t height;
    int32_t rowBytes;
};
int32_t CoverageRowBytes(int32_t width);

// Blends `colour` over every pixel of `image` within `area` that `fresh` covers and `blended`
// does not, records them in `blended` and clears `fresh` within `area`. The three are of one
// size; `area` is cut to it.
void BlendFreshCoverage(const PixelSurface& image, const CoverageMask& fresh,
                        const CoverageMask& blended, ImageRect area, uint32_t colour,
                        int32_t opacityPercent);

// Blends `colour` over every pixel of `area` (cut to the image): the highlighter's marker.
void BlendRectangle(const PixelSurface& image, ImageRect area, uint32_t colour,
                    int32_t opacityPercent);

// The part of the image that a line from a to b drawn `width` wide may paint (its round ends and
// GDI's rounding included), cut to the image.
ImageRect SegmentCoverage(CapturePoint a, CapturePoint b, int32_t width, int32_t imageWidth,
                          int32_t imageHeight);

// The highlighter's marker at p: a square as wide as the stroke, which no pen marker is (the
// pen shows a cross or a round dot).
ImageRect HighlighterTip(CapturePoint p, int32_t width);
