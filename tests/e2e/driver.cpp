// Outside driving of the program for end-to-end tests and the tour (see driver.h).
#include "e2e/driver.h"

#include <cstdlib>
#include <utility>

#include <gtest/gtest.h>

#include "res/options_controls.h"
#include "res/product.h"
#include "support/png_file.h"
#include "zoom/hotkey_value.h"

namespace {

// The copy of the program that input goes to, for waiting until it has taken each event.
HANDLE drivenProcess = nullptr;

} // namespace

std::wstring WindowsPath(const std::wstring& path) {
    std::wstring windows = !path.empty() && path[0] == L'/' ? L"Z:" + path : path;
    for (wchar_t& c : windows) {
        c = c == L'/' ? L'\\' : c;
    }
    return windows;
}

std::wstring VistrelExePath() {
    const char* unixPath = std::getenv("VISTREL_EXE");
    const std::string path = unixPath != nullptr ? unixPath : "";
    return WindowsPath(std::wstring(path.begin(), path.end()));
}

VistrelProcess::VistrelProcess(VistrelProcess&& other) noexcept : info(other.info) {
    other.info = {};
}

VistrelProcess& VistrelProcess::operator=(VistrelProcess&& other) noexcept {
    if (this != &other) {
        End();
        info = std::exchange(other.info, {});
    }
    return *this;
}

void VistrelProcess::End() {
    if (info.hProcess == nullptr) {
        return;
    }
    if (drivenProcess == info.hProcess) {
        drivenProcess = nullptr;
    }
    if (Running()) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    info = {};
}

bool VistrelProcess::Running() const {
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> VistrelProcess::WaitForExit(DWORD timeoutMs) const {
    DWORD code = 0;
    if (info.hProcess == nullptr ||
        WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info.hProcess, &code)) {
        return std::nullopt;
    }
    return code;
}

VistrelProcess StartVistrel(const std::wstring& arguments) {
    const std::wstring exe = VistrelExePath();
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    VistrelProcess process;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process.info)) {
        process.info = {};
    }
    drivenProcess = process.info.hProcess;
    return process;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    // The window can be found while its creation still runs (docs/WINE.md).
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {
        WaitForInputIdle(process, timeoutMs);
        CloseHandle(process);
    }
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopLevelWindowsOf(processId, L"VistrelClass", false);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool HasFocus(HWND control) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &thread) &&
           thread.hwndFocus == control;
}

bool HasKeyboardFocus(HWND window) {
    return GetForegroundWindow() == window && HasFocus(window);
}

HWND DescendantOf(HWND root, int id, bool visibleOnly) {
    struct Search {
        int id;
        bool visibleOnly;
        HWND found;
    } search = {id, visibleOnly, nullptr};
    EnumChildWindows(
        root,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (GetDlgCtrlID(child) == s->id && (!s->visibleOnly || IsWindowVisible(child))) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ControlText(HWND control) {
    wchar_t text[256] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

void PostCommand(HWND mainWindow, uint32_t command) {
    PostMessageW(mainWindow, WM_COMMAND, command, 0);
}

std::vector<HWND> OptionsDialogsOf(DWORD processId) {
    std::vector<HWND> found;
    for (HWND dialog : TopLevelWindowsOf(processId, L"#32770", true)) {
        wchar_t title[64] = {};
        GetWindowTextW(dialog, title, 64);
        if (std::wstring(title) == L"" VISTREL_OPTIONS_TITLE) {
            found.push_back(dialog);
        }
    }
    return found;
}

HWND WaitForOptionsDialog(const VistrelProcess& vistrel) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> dialogs = OptionsDialogsOf(vistrel.Id());
            dialog = dialogs.size() == 1 ? dialogs[0] : nullptr;
            return dialog != nullptr && GetForegroundWindow() == dialog &&
                   !ControlText(GetDlgItem(dialog, IDC_VERSION_LINE)).empty() && vistrel.Idle();
        },
        10000);
    return dialog;
}

HWND OpenTrayMenu(HWND mainWindow) {
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDOWN);
    WaitUntil([&] { return GetForegroundWindow() == mainWindow; });
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONUP);
    HWND menu = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> menus = TopLevelWindowsOf(processId, L"#32768", true);
        menu = menus.empty() ? nullptr : menus.front();
        return menu != nullptr;
    });
    return menu;
}

void ClearProgramRegistry() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tarnove");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kTestRunKey, L"Vistrel");
}

void WriteSettingDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, REG_DWORD, &value, sizeof value);
}

void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

bool HotkeyHeldElsewhere(uint32_t value) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    constexpr int kProbeId = 0xB000;
    if (RegisterHotKey(nullptr, kProbeId, registration.modifiers, registration.virtualKey)) {
        UnregisterHotKey(nullptr, kProbeId);
        return false;
    }
    return true;
}

HeldHotkey::HeldHotkey(uint32_t value) : id(0xA000 + static_cast<int>(value & 0xFFF)) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    held = RegisterHotKey(nullptr, id, registration.modifiers, registration.virtualKey) != 0;
}

void HeldHotkey::Release() {
    if (held) {
        UnregisterHotKey(nullptr, id);
        held = false;
    }
}

// ---- Input ----

namespace {

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi = {dx, dy, data, flags, 0, 0};
    SendInput(1, &input, sizeof input);
}

// An absolute position aimed at the pixel's centre: x * 65536 / width can land one short.
void SendAbsolute(DWORD flags, int x, int y) {
    SendMouse(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
              static_cast<LONG>((x + 0.5) * 65536 / GetSystemMetrics(SM_CXSCREEN)),
              static_cast<LONG>((y + 0.5) * 65536 / GetSystemMetrics(SM_CYSCREEN)));
}

} // namespace

void SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
}

void PressWith(WORD modifier, WORD virtualKey) {
    SendKey(modifier, false);
    PressKey(virtualKey);
    SendKey(modifier, true);
}

void MoveMouseTo(int x, int y) {
    auto there = [=] {
        POINT cursor = {};
        GetCursorPos(&cursor);
        return cursor.x == x && cursor.y == y;
    };
    // A late echo of an earlier move can drag the cursor back (docs/WINE.md): wait for the
    // position, for the program to be idle and for the position to stay; else move again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendAbsolute(0, x, y);
        WaitUntil(there, 1000);
        if (drivenProcess != nullptr) {
            WaitForInputIdle(drivenProcess, 1000);
        }
        bool stayed = true;
        for (int look = 0; look < 3 && stayed; ++look) {
            Sleep(20);
            stayed = there();
        }
        if (stayed) {
            return;
        }
    }
}

void TurnWheel(int delta) {
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
}

void ClickRight() {
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
}

// Button events carry their own position: a late echo could give them the one before the move.
void PressLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, x, y);
}

void ReleaseLeft(int x, int y) {
    SendAbsolute(MOUSEEVENTF_LEFTUP, x, y);
}

void ClickAt(int x, int y) {
    MoveMouseTo(x, y);
    PressLeft(x, y);
    ReleaseLeft(x, y);
}

void ClickOn(HWND window, int dx, int dy) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    ClickAt(dx < 0 ? (rect.left + rect.right) / 2 : rect.left + dx,
            dy < 0 ? (rect.top + rect.bottom) / 2 : rect.top + dy);
}

void DragTo(int fromX, int fromY, int x, int y, int steps) {
    MoveMouseTo(fromX, fromY);
    PressLeft(fromX, fromY);
    for (int i = 1; i <= steps; ++i) {
        MoveMouseTo(fromX + (x - fromX) * i / steps, fromY + (y - fromY) * i / steps);
    }
    ReleaseLeft(x, y);
}

// ---- The screen ----

Screenshot Painted(int width, int height, const std::function<void(HDC)>& paint) {
    Screenshot picture = {width, height,
                          std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    paint(dc);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = pixels[i] & 0xFFFFFF;
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

Screenshot CaptureScreen() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    return Painted(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

Screenshot CaptureSettledScreen(DWORD timeoutMs) {
    Screenshot previous = CaptureScreen();
    WaitUntil(
        [&] {
            Screenshot now = CaptureScreen();
            const bool same = now.pixels == previous.pixels;
            previous = std::move(now);
            return same;
        },
        timeoutMs);
    return previous;
}

Screenshot PixelsOfBitmap(HBITMAP bitmap) {
    BITMAP size = {};
    GetObjectW(bitmap, sizeof size, &size);
    Screenshot shot = {size.bmWidth, size.bmHeight,
                       std::vector<uint32_t>(static_cast<size_t>(size.bmWidth) * size.bmHeight)};
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof info.bmiHeader, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, shot.height, shot.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& pixel : shot.pixels) {
        pixel &= 0xFFFFFF;
    }
    return shot;
}

int CountColour(const Screenshot& shot, RECT area, uint32_t colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += shot.At(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

bool ColourNear(const Screenshot& shot, int x, int y, uint32_t colour) {
    return CountColour(shot, {x - 1, y - 1, x + 2, y + 2}, colour) > 0;
}

CapturePoint ZoomedSource(float zoom, CapturePoint zoomPoint, int width, int height, int x, int y) {
    const CapturePoint origin = ComputeSourceOrigin(zoom, zoomPoint, width, height);
    return {origin.x + x * VisibleExtent(width, zoom) / width,
            origin.y + y * VisibleExtent(height, zoom) / height};
}

bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<int>(i % width) < width / 2 ? left : right;
    }
    return WritePng(path, width, height, pixels.data(), true);
}

bool SaveScreenshot(const Screenshot& shot, const std::wstring& path) {
    return WritePng(path, shot.width, shot.height, shot.pixels.data());
}

void KeepScreenshot(const std::wstring& name, const Screenshot& shot) {
    if (const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS")) {
        SaveScreenshot(shot, std::wstring(folder) + L"\\" + name + L".png");
    }
}

void KeepScreenshotOfFailure() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test != nullptr && test->result()->Failed()) {
        const std::string name =
            std::string("failed-") + test->test_suite_name() + "." + test->name();
        KeepScreenshot(std::wstring(name.begin(), name.end()));
    }
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + name;
}

namespace {

LRESULT CALLBACK PatternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (const auto* picture =
                reinterpret_cast<const Screenshot*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof info.bmiHeader,
                              picture->width,
                              -picture->height,
                              1,
                              32,
                              BI_RGB,
                              0,
                              0,
                              0,
                              0,
                              0};
            SetDIBitsToDevice(dc, 0, 0, picture->width, picture->height, 0, 0, 0, picture->height,
                              picture->pixels.data(), &info, DIB_RGB_COLORS);
        }
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

Screenshot FilledScreen(SlideFill fill) {
    Screenshot picture;
    picture.width = GetSystemMetrics(SM_CXSCREEN);
    picture.height = GetSystemMetrics(SM_CYSCREEN);
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height, 0xFFFFFF);
    for (int y = 0; fill == SlideFill::Coordinates && y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels[static_cast<size_t>(y) * picture.width + x] =
                static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | (x >> 8) << 4 | y >> 8);
        }
    }
    return picture;
}

} // namespace

PatternWindow::PatternWindow(SlideFill fill) : PatternWindow(FilledScreen(fill)) {}

PatternWindow::PatternWindow(Screenshot shown) : picture(std::move(shown)) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this, ready] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = PatternWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = L"VistrelTestPattern";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(WS_EX_TOPMOST, L"VistrelTestPattern", L"Test slide", WS_POPUP, 0,
                                 0, picture.width, picture.height, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&picture));
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        UpdateWindow(window);
        SetEvent(ready);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        UnregisterClassW(L"VistrelTestPattern", GetModuleHandleW(nullptr));
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    // A late activation would take the focus from the program under test (docs/WINE.md).
    WaitUntil([this] { return GetForegroundWindow() == window; });
    // The taskbar is topmost too and now and then comes out above the slide: put the slide on
    // top until its bottom row shows.
    WaitUntil([this] {
        const int y = picture.height - 3;
        if (CaptureScreen().At(7, y) == picture.At(7, y)) {
            return true;
        }
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return false;
    });
}

PatternWindow::~PatternWindow() {
    if (window != nullptr) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (thread.joinable()) {
        thread.join();
    }
}

DecodedPoint DecodePattern(uint32_t pixel) {
    const int red = static_cast<int>(pixel >> 16 & 0xFF);
    const int green = static_cast<int>(pixel >> 8 & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    return {(blue >> 4) * 256 + red, (blue & 0xF) * 256 + green};
}

bool ScreenShowsPlainPattern() {
    const Screenshot shot = CaptureScreen();
    for (int y = 7; y < shot.height; y += 151) {
        for (int x = 3; x < shot.width; x += 173) {
            const DecodedPoint shown = DecodePattern(shot.At(x, y));
            if (shown.x != x || shown.y != y) {
                return false;
            }
        }
    }
    return true;
}
