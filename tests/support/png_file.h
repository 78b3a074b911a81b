// Writing test pictures as PNG files through GDI+, for screenshots worth a look and for picture
// files the program is given to load.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Writes width x height top-down pixels, 0x00RRGGBB (or 0xAARRGGBB with `withAlpha`).
bool WritePng(const std::wstring& path, int width, int height, const uint32_t* pixels,
              bool withAlpha = false);
