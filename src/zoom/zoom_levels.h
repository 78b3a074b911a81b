// The start magnifications of the zoom view, chosen by the ZoominSliderLevel setting.
#pragma once

#include <array>
#include <cstdint>

constexpr std::array<float, 6> kZoomLevels = {1.25f, 1.5f, 1.75f, 2.0f, 3.0f, 4.0f};
constexpr uint32_t kDefaultZoomLevel = 3;

// The start magnification for a stored level. The registry can hold any number; a level
// outside 0 to 5 takes the default level (2.0) rather than reading past the table.
float StartMagnification(uint32_t level);
