// Outside driving of the program for end-to-end tests and the tour (see driver.h).
#include "e2e/driver.h"

#include <algorithm>
#include <cstdlib>

#include "res/options_controls.h"
#include "res/product.h"
#include "zoom/hotkey_value.h"

namespace {

// The copy of the program that input goes to, for waiting until it has taken each event.
HANDLE drivenProcess = nullptr;

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input = {INPUT_KEYBOARD};
    input.ki = {virtualKey, static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)),
                up ? static_cast<DWORD>(KEYEVENTF_KEYUP) : 0u, 0, 0};
    return input;
}

} // namespace

std::wstring WindowsPath(const std::wstring& path) {
    std::wstring windows = !path.empty() && path[0] == L'/' ? L"Z:" + path : path;
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

std::wstring VistrelExePath() {
    const wchar_t* path = _wgetenv(L"VISTREL_EXE");
    return WindowsPath(path != nullptr ? path : L"");
}

void VistrelProcess::End() {
    if (info.hProcess == nullptr) {
        return;
    }
    drivenProcess = drivenProcess == info.hProcess ? nullptr : drivenProcess;
    if (Running()) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    info = {};
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

void VistrelProcess::Start(const std::wstring& arguments) {
    End();
    const std::wstring exe = VistrelExePath();
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {sizeof startup};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        info = {};
    }
    drivenProcess = info.hProcess;
}

HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopLevelWindowsOf(processId, className, visibleOnly);
            return (found = windows.empty() ? nullptr : windows.front()) != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    // The window can be found while its creation still runs (docs/WINE.md).
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {
        WaitForInputIdle(process, timeoutMs);
        CloseHandle(process);
    }
    return WaitForWindowOf(processId, L"VistrelClass", false, timeoutMs);
}

bool HasFocus(HWND control) {
    GUITHREADINFO thread = {sizeof thread};
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &thread) &&
           thread.hwndFocus == control;
}

HWND DescendantOf(HWND root, int id) {
    for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id && IsWindowVisible(child)) {
            return child;
        }
        if (HWND found = DescendantOf(child, id)) {
            return found;
        }
    }
    return nullptr;
}

std::wstring ControlText(HWND control) {
    wchar_t text[256] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
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
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_RBUTTONDOWN);
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_RBUTTONUP);
    return WaitForWindowOf(processId, L"#32768");
}

std::optional<POINT> TrayIconOnScreen() {
    const Screenshot shot = CaptureScreen();
    for (int y = shot.height - 40; y < shot.height; ++y) {
        for (int x = shot.width - 200; x < shot.width; ++x) {
            if (shot.At(x, y) == 0x1E6EC8) { // the ring's colour
                return POINT{x, y};
            }
        }
    }
    return std::nullopt;
}

void ClearProgramRegistry() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\tarnove");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kTestRunKey, L"Vistrel");
}

void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, name, RRF_RT_REG_SZ, nullptr, text, &size)) {
        return std::nullopt;
    }
    return text;
}

bool HoldHotkey(uint32_t value, int id) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    return RegisterHotKey(nullptr, id, registration.modifiers, registration.virtualKey) != 0;
}

bool HotkeyHeldElsewhere(uint32_t value) {
    if (!HoldHotkey(value, 0xBFFF)) {
        return true;
    }
    UnregisterHotKey(nullptr, 0xBFFF);
    return false;
}

// ---- Input ----

void SendMouse(DWORD flags, LONG dx, LONG dy, DWORD data) {
    INPUT input = {INPUT_MOUSE};
    input.mi = {dx, dy, data, flags, 0, 0};
    SendInput(1, &input, sizeof input);
}

void SendAbsolute(DWORD flags, int x, int y) {
    // Over the whole virtual screen, so that monitors left of or above the primary one count.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    SendMouse(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
              static_cast<LONG>((x - left + 0.5) * 65536 / GetSystemMetrics(SM_CXVIRTUALSCREEN)),
              static_cast<LONG>((y - top + 0.5) * 65536 / GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}

void SendKey(WORD virtualKey, bool up) {
    INPUT input = KeyInput(virtualKey, up);
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD virtualKey, std::initializer_list<WORD> modifiers) {
    for (const WORD modifier : modifiers) {
        SendKey(modifier, false);
    }
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    for (const WORD modifier : modifiers) {
        SendKey(modifier, true);
    }
}

void PressWithCtrlQueued(WORD virtualKey, int times) {
    std::vector<INPUT> keys = {KeyInput(VK_CONTROL, false)};
    for (int i = 0; i < times; ++i) {
        keys.push_back(KeyInput(virtualKey, false));
        keys.push_back(KeyInput(virtualKey, true));
    }
    keys.push_back(KeyInput(VK_CONTROL, true));
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

POINT CursorPosition() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    return cursor;
}

bool CursorAt(POINT p) {
    const POINT cursor = CursorPosition();
    return cursor.x == p.x && cursor.y == p.y;
}

void MoveMouseTo(int x, int y) {
    auto there = [=] { return CursorAt({x, y}); };
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

void ClickAt(int x, int y) {
    MoveMouseTo(x, y);
    PressLeft(x, y);
    ReleaseLeft(x, y);
}

void ClickOn(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void DragTo(int fromX, int fromY, int x, int y) {
    MoveMouseTo(fromX, fromY);
    PressLeft(fromX, fromY);
    for (int i = 1; i <= 10; ++i) {
        MoveMouseTo(fromX + (x - fromX) * i / 10, fromY + (y - fromY) * i / 10);
    }
    ReleaseLeft(x, y);
}

// ---- The screen ----

Screenshot Painted(int width, int height, const std::function<void(HDC)>& paint) {
    Screenshot picture = {width, height,
                          std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    const BITMAPINFO info = TopDown32(width, height);
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

RECT PrimaryMonitor() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Screenshot CaptureScreen(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    return Painted(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
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
    BITMAPINFO info = TopDown32(shot.width, shot.height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, shot.height, shot.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& pixel : shot.pixels) {
        pixel &= 0xFFFFFF;
    }
    return shot;
}

Screenshot ClipboardPicture() {
    if (!WaitUntil(
            [] { return IsClipboardFormatAvailable(CF_BITMAP) && OpenClipboard(nullptr); })) {
        return {};
    }
    Screenshot picture = PixelsOfBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    return picture;
}

int CountColour(const Screenshot& shot, RECT area, uint32_t colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += shot.At(x, y) == colour;
        }
    }
    return count;
}

bool WriteTwoColourPng(const std::wstring& path, int width, int height, uint32_t left,
                       uint32_t right) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<int>(i % width) < width / 2 ? left : right;
    }
    return WritePng(path, width, height, pixels.data(), true);
}

void KeepScreenshot(const std::wstring& name, const Screenshot& shot) {
    if (const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS")) {
        WritePng(std::wstring(folder) + L"\\" + name + L".png", shot.width, shot.height,
                 shot.pixels.data());
    }
}

void KeepScreenshotOfFailure() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test != nullptr && test->result()->Failed()) {
        const std::string name =
            std::string("failed-") + test->test_suite_name() + "." + test->name();
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN),
                  top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        KeepScreenshot(std::wstring(name.begin(), name.end()),
                       CaptureScreen({left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                      top + GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
    }
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + name;
}

// ---- The slide ----

namespace {

LRESULT CALLBACK PatternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const auto* picture = reinterpret_cast<const Screenshot*>(GetWindowLongPtrW(window, 0));
        if (picture != nullptr) {
            const BITMAPINFO info = TopDown32(picture->width, picture->height);
            SetDIBitsToDevice(dc, 0, 0, picture->width, picture->height, 0, 0, 0, picture->height,
                              picture->pixels.data(), &info, DIB_RGB_COLORS);
        }
        EndPaint(window, &paint);
        return 0;
    }
    return message == WM_ERASEBKGND ? 1 : DefWindowProcW(window, message, wParam, lParam);
}

Screenshot FilledScreen(SlideFill fill, const RECT& place) {
    Screenshot picture = {place.right - place.left, place.bottom - place.top, {}};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back(fill == SlideFill::White
                                         ? 0xFFFFFFu
                                         : static_cast<uint32_t>((x & 0xFF) << 16 |
                                                                 (y & 0xFF) << 8 | (x >> 8) << 4 |
                                                                 y >> 8));
        }
    }
    return picture;
}

} // namespace

PatternWindow::PatternWindow(SlideFill fill, const RECT& monitor)
    : PatternWindow(FilledScreen(fill, monitor), monitor) {}

WindowThread::WindowThread(const std::function<HWND()>& create) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this, ready, create] {
        threadId = GetCurrentThreadId();
        window = create();
        SetEvent(ready);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
}

WindowThread::~WindowThread() {
    SendMessageW(window, WM_CLOSE, 0, 0); // the foreground goes back to another window
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    thread.join();
}

PatternWindow::PatternWindow(Screenshot painted, const RECT& monitor)
    : picture(std::move(painted)), place(monitor), shown([this] {
          WNDCLASSW windowClass = {0,
                                   PatternWindowProc,
                                   0,
                                   sizeof(void*),
                                   GetModuleHandleW(nullptr),
                                   nullptr,
                                   LoadCursorW(nullptr, IDC_ARROW),
                                   nullptr,
                                   nullptr,
                                   L"VistrelTestPattern"};
          RegisterClassW(&windowClass); // or already registered
          HWND slide = CreateWindowExW(WS_EX_TOPMOST, L"VistrelTestPattern", L"Test slide",
                                       WS_POPUP, place.left, place.top, picture.width,
                                       picture.height, nullptr, nullptr, nullptr, nullptr);
          SetWindowLongPtrW(slide, 0, reinterpret_cast<LONG_PTR>(&picture));
          ShowWindow(slide, SW_SHOW);
          SetForegroundWindow(slide);
          UpdateWindow(slide);
          return slide;
      }),
      window(shown.window) {
    // A late activation would take the focus from the program under test (docs/WINE.md).
    WaitUntil([this] { return GetForegroundWindow() == window; });
    // The taskbar is topmost too and now and then comes out above the slide: put the slide on
    // top until its bottom row shows.
    WaitUntil([this] {
        const int y = picture.height - 3;
        if (CaptureScreen(place).At(7, y) == picture.At(7, y)) {
            return true;
        }
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return false;
    });
}

DecodedPoint DecodePattern(uint32_t pixel) {
    const int red = static_cast<int>(pixel >> 16 & 0xFF),
              green = static_cast<int>(pixel >> 8 & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    return {(blue >> 4) * 256 + red, (blue & 0xF) * 256 + green};
}

bool MonitorShowsPlainPattern(const RECT& monitor) {
    const Screenshot shot = CaptureScreen(monitor);
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

RECT TaskbarRect() {
    RECT taskbar = {};
    return GetWindowRect(FindWindowW(L"Shell_TrayWnd", nullptr), &taskbar) ? taskbar : RECT{};
}
