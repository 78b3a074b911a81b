// Picture files through GDI+, shared by the sketch pads' and the break screen's backgrounds.
#pragma once

#include <windows.h>

// The picture in a file GDI+ can decode (BMP, PNG, JPEG, GIF and more) as a GDI bitmap the
// caller owns; none when the path is empty, the file is missing or it does not decode, and
// GetLastError then tells which (ERROR_FILE_NOT_FOUND for an empty path, the file system's
// reason for a missing file, ERROR_INVALID_DATA for one that does not decode).
HBITMAP LoadPictureFile(const wchar_t* path);
