// Drawing arithmetic (see draw_geometry.h).
#include "draw/draw_geometry.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

ShapeKind ShapeForModifiers(bool shift, bool ctrl, bool tab) {
    if (shift && ctrl) {
        return ShapeKind::Arrow;
    }
    if (shift) {
        return ShapeKind::Line;
    }
    if (ctrl) {
        return ShapeKind::Rectangle;
    }
    return tab ? ShapeKind::Ellipse : ShapeKind::Freehand;
}

CapturePoint ClientToImage(int32_t clientX, int32_t clientY, CapturePoint viewOrigin, float zoom) {
    const int32_t x = viewOrigin.x + static_cast<int32_t>(static_cast<long double>(clientX) / zoom);
    const int32_t y = viewOrigin.y + static_cast<int32_t>(static_cast<long double>(clientY) / zoom);
    return {x, y};
}

std::optional<int32_t> AcceptedPenWidth(int32_t requested, bool fromLiveZoom) {
    if (requested < kSmallestPenWidth) {
        return std::nullopt;
    }
    if (requested > kLargestPenWidth && !fromLiveZoom) {
        return std::nullopt;
    }
    int32_t width = std::max(requested, kSmallestPenWidth);
    if (!fromLiveZoom && width >= kLargestPenWidth) {
        width = kLargestPenWidth;
    }
    return width;
}

bool UseCrossMarker(int32_t penWidth, int32_t captureWidth, int32_t captureHeight, float zoom) {
    if (penWidth >= 5) {
        return false;
    }
    // Unsigned, as the marker rule has always compared.
    const auto span = static_cast<uint32_t>(100 * penWidth);
    const auto visibleWidth =
        static_cast<uint32_t>(static_cast<int32_t>(static_cast<long double>(captureWidth) / zoom));
    const auto visibleHeight =
        static_cast<uint32_t>(static_cast<int32_t>(static_cast<long double>(captureHeight) / zoom));
    return span < visibleWidth && span < visibleHeight;
}

ImageRect MarkerArea(CapturePoint p, int32_t penWidth, int32_t captureWidth,
                     int32_t captureHeight) {
    // The cross reaches six pixels from its centre; a dot half the pen's width.
    const int32_t reach = std::max(penWidth / 2, 6) + 2;
    return {std::clamp(p.x - reach, 0, captureWidth), std::clamp(p.y - reach, 0, captureHeight),
            std::clamp(p.x + reach + 1, 0, captureWidth),
            std::clamp(p.y + reach + 1, 0, captureHeight)};
}

int32_t SegmentMargin(int32_t penWidth, bool crossMarker) {
    return crossMarker ? 3 * penWidth + 1 : penWidth;
}

ClientRect SegmentClientRect(CapturePoint a, CapturePoint b, int32_t margin,
                             CapturePoint viewOrigin, float zoom) {
    auto scaled = [zoom](int32_t value) {
        return static_cast<int32_t>(static_cast<long double>(value) * zoom);
    };
    return {std::max(0, scaled(std::min(a.x, b.x) - margin - viewOrigin.x)),
            std::max(0, scaled(std::min(a.y, b.y) - margin - viewOrigin.y)),
            scaled(std::max(a.x, b.x) + margin - viewOrigin.x),
            scaled(std::max(a.y, b.y) + margin - viewOrigin.y)};
}

ImageRect SpannedRect(CapturePoint a, CapturePoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void SnapLine(ImageRect& line) {
    const int32_t dx = std::abs(line.right - line.left);
    const int32_t dy = std::abs(line.bottom - line.top);
    if (dy < dx / 10) {
        line.bottom = line.top - 1;
    }
    const int32_t snappedDy = std::abs(line.bottom - line.top);
    if (dx < snappedDy / 10) {
        line.right = line.left - 1;
    }
}

namespace {

int32_t RoundHalfUp(float value) {
    return static_cast<int32_t>(value + 0.5f);
}

} // namespace

std::array<CapturePoint, 6> ArrowPolygon(CapturePoint tip, CapturePoint tail, int32_t headLength,
                                         int32_t headWidth) {
    const int32_t L = tip.x;
    const int32_t T = tip.y;
    const int32_t R = tail.x;
    const int32_t B = tail.y;
    float ux = 1.0f;
    float uy = 1.0f;
    const int32_t squared = (L - R) * (L - R) + (T - B) * (T - B);
    if (squared != 0) {
        // The classic fast reciprocal square root with one Newton step: the head's exact
        // pixels depend on its rounding, so it is kept as it has always been.
        const float s = static_cast<float>(squared);
        const auto bits = std::bit_cast<int32_t>(s);
        const float y0 = std::bit_cast<float>(1597463174 - (bits >> 1));
        const float y = y0 * (1.5f - 0.5f * s * y0 * y0);
        ux = y * static_cast<float>(L - R);
        uy = y * static_cast<float>(T - B);
    }
    const float e = static_cast<float>(headLength);
    const float halfWidth = static_cast<float>(headWidth / 2);
    const int32_t a = RoundHalfUp(e * ux);
    const int32_t b = RoundHalfUp(e * uy);
    const int32_t c = RoundHalfUp(halfWidth * ux);
    const int32_t d = RoundHalfUp(halfWidth * uy);
    return {{{R, B},
             {L - c, T - d},
             {L - d - a, T + c - b},
             {L, T},
             {L + d - a, T - c - b},
             {L - c, T - d}}};
}
