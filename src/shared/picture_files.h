// Picture files through GDI+, shared by the sketch pads' and the break screen's backgrounds.
#pragma once

#include <windows.h>

// The picture in a file GDI+ can decode (BMP, PNG, JPEG, GIF and more) as a GDI bitmap the
// caller owns; none when the file is missing or does not decode (GetLastError then tells).
HBITMAP LoadPictureFile(const wchar_t* path);
