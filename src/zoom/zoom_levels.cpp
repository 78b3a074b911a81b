// Start magnification lookup (see zoom_levels.h).
#include "zoom/zoom_levels.h"

float StartMagnification(uint32_t level) {
    return kZoomLevels[level < kZoomLevels.size() ? level : kDefaultZoomLevel];
}
