// The highlighter's arithmetic (see highlight_blend.h).
#include "draw/highlight_blend.h"

#include <algorithm>
#include <cstddef>

namespace {

uint32_t Channel(uint32_t under, uint32_t over, int32_t opacity) {
    return (over * static_cast<uint32_t>(opacity) + under * static_cast<uint32_t>(100 - opacity) +
            50) /
           100;
}

ImageRect CutToImage(ImageRect r, int32_t width, int32_t height) {
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
            std::min(r.bottom, height)};
}

} // namespace

int32_t HighlighterOpacity(int32_t storedPercent) {
    return std::clamp(storedPercent, kLeastHighlighterOpacity, kMostHighlighterOpacity);
}

uint32_t BlendPixel(uint32_t under, uint32_t colour, int32_t opacityPercent) {
    const uint32_t red = Channel((under >> 16) & 0xFF, colour & 0xFF, opacityPercent);
    const uint32_t green = Channel((under >> 8) & 0xFF, (colour >> 8) & 0xFF, opacityPercent);
    const uint32_t blue = Channel(under & 0xFF, (colour >> 16) & 0xFF, opacityPercent);
    return (red << 16) | (green << 8) | blue;
}

int32_t CoverageRowBytes(int32_t width) {
    return (width + 31) / 32 * 4;
}

void BlendFreshCoverage(const PixelSurface& image, const CoverageMask& fresh,
                        const CoverageMask& blended, ImageRect area, uint32_t colour,
                        int32_t opacityPercent) {
    const ImageRect r = CutToImage(area, image.width, image.height);
    if (r.left >= r.right || r.top >= r.bottom) {
        return;
    }
    const int32_t firstByte = r.left / 8;
    const int32_t lastByte = (r.right - 1) / 8;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t* freshRow = fresh.bits + static_cast<ptrdiff_t>(y) * fresh.rowBytes;
        uint8_t* blendedRow = blended.bits + static_cast<ptrdiff_t>(y) * blended.rowBytes;
        uint32_t* pixels = image.pixels + static_cast<ptrdiff_t>(y) * image.rowPixels;
        for (int32_t b = firstByte; b <= lastByte; ++b) {
            // Only the pixels of this byte that lie within the area.
            uint8_t inArea = 0xFF;
            if (b == firstByte) {
                inArea &= static_cast<uint8_t>(0xFF >> (r.left & 7));
            }
            if (b == lastByte) {
                inArea &= static_cast<uint8_t>(0xFF << (7 - ((r.right - 1) & 7)));
            }
            const uint8_t covered = freshRow[b] & inArea;
            if (covered == 0) {
                continue;
            }
            const uint8_t toBlend = covered & static_cast<uint8_t>(~blendedRow[b]);
            blendedRow[b] |= covered;
            freshRow[b] &= static_cast<uint8_t>(~inArea);
            for (int32_t bit = 0; bit < 8; ++bit) {
                if (toBlend & (0x80 >> bit)) {
                    uint32_t& pixel = pixels[b * 8 + bit];
                    pixel = BlendPixel(pixel, colour, opacityPercent);
                }
            }
        }
    }
}

void BlendRectangle(const PixelSurface& image, ImageRect area, uint32_t colour,
                    int32_t opacityPercent) {
    const ImageRect r = CutToImage(area, image.width, image.height);
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint32_t* pixels = image.pixels + static_cast<ptrdiff_t>(y) * image.rowPixels;
        for (int32_t x = r.left; x < r.right; ++x) {
            pixels[x] = BlendPixel(pixels[x], colour, opacityPercent);
        }
    }
}

ImageRect SegmentCoverage(CapturePoint a, CapturePoint b, int32_t width, int32_t imageWidth,
                          int32_t imageHeight) {
    // Half the width reaches past each end and to each side; a width more leaves room for how
    // GDI rounds a wide line.
    const int32_t room = width + 2;
    return CutToImage({std::min(a.x, b.x) - room, std::min(a.y, b.y) - room,
                       std::max(a.x, b.x) + room + 1, std::max(a.y, b.y) + room + 1},
                      imageWidth, imageHeight);
}

ImageRect HighlighterTip(CapturePoint p, int32_t width) {
    const int32_t left = p.x - width / 2;
    const int32_t top = p.y - width / 2;
    return {left, top, left + width, top + width};
}
