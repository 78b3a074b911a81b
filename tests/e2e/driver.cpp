// Outside driving of the program for end-to-end tests and the tour (see driver.h).
#include "e2e/driver.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "res/options_controls.h"
#include "res/product.h"
#include "zoom/hotkey_value.h"

namespace {

// The copy of the program that input goes to, for waiting until it has taken each event.
HANDLE drivenProcess = nullptr;

RECT VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

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

void SendInputs(const std::vector<INPUT>& inputs) {
    SendInput(static_cast<UINT>(inputs.size()), const_cast<INPUT*>(inputs.data()), sizeof(INPUT));
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
    const bool ended = info.hProcess &&
                       WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(info.hProcess, &code);
    return ended ? std::optional(code) : std::nullopt;
}

void VistrelProcess::Start(const std::wstring& arguments) {
    End();
    const std::wstring exe = VistrelExePath();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {sizeof startup};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        info = {};
    }
    drivenProcess = info.hProcess;
}

bool VistrelProcess::StartReady(const std::wstring& arguments) {
    Start(arguments);
    return (mainWindow = WaitForMainWindow(Id())) != nullptr;
}

bool VistrelProcess::Exit() {
    Command(kExitCommand);
    mainWindow = nullptr;
    return WaitForExit(5000) == 0u;
}

bool VistrelProcess::WaitShown() const {
    return WaitUntil([this] { return Shown(); });
}

bool VistrelProcess::WaitHidden() const {
    return WaitUntil([this] { return !Shown(); });
}

bool VistrelProcess::WaitForKeys() const {
    return WaitUntil([this] { return HasKeyboardFocus(mainWindow); });
}

bool VistrelProcess::Escape() const {
    return WaitForKeys() && (PressKey(VK_ESCAPE), WaitHidden());
}

HWND VistrelProcess::WaitForOptionsDialog() const {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> dialogs = OptionsDialogsOf(Id());
            dialog = dialogs.size() == 1 ? dialogs[0] : nullptr;
            return dialog != nullptr && GetForegroundWindow() == dialog &&
                   !WindowText(GetDlgItem(dialog, IDC_VERSION_LINE)).empty() && Idle();
        },
        10000);
    return dialog;
}

HWND VistrelProcess::OpenTrayMenu() const {
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_RBUTTONDOWN);
    PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_RBUTTONUP);
    return WaitForWindowOf(Id(), L"#32768");
}

HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly, DWORD timeoutMs) {
    std::vector<HWND> found;
    WaitUntil(
        [&] { return !(found = TopLevelWindowsOf(processId, className, visibleOnly)).empty(); },
        timeoutMs);
    return found.empty() ? nullptr : found[0];
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

bool CloseDialog(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, button, 0);
    return WaitUntil([dialog] { return !IsWindow(dialog); });
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

void ClearProgramRegistry(bool firstRun) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKeyPath);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"Vistrel");
    if (!firstRun) {
        WriteSettings({{L"OptionShown", 1}});
    }
}

std::optional<std::wstring> ReadString(const wchar_t* keyPath, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    const LSTATUS read =
        RegGetValueW(HKEY_CURRENT_USER, keyPath, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return read == ERROR_SUCCESS ? std::optional<std::wstring>(text) : std::nullopt;
}

bool HoldHotkey(uint32_t value, int id) {
    const HotkeyRegistration registration = TranslateHotkey(value);
    return RegisterHotKey(nullptr, id, registration.modifiers, registration.virtualKey) != 0;
}

bool HotkeyHeldElsewhere(uint32_t value) {
    return !HoldHotkey(value, 0xBFFF) || !UnregisterHotKey(nullptr, 0xBFFF);
}

// ---- Input ----

void SendMouse(DWORD flags, LONG dx, LONG dy, DWORD data) {
    INPUT input = {INPUT_MOUSE};
    input.mi = {dx, dy, data, flags, 0, 0};
    SendInputs({input});
}

void SendAbsolute(DWORD flags, POINT p) {
    // Over the whole virtual screen, so that monitors left of or above the primary one count.
    const RECT all = VirtualScreen();
    SendMouse(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
              static_cast<LONG>((p.x - all.left + 0.5) * 65536 / (all.right - all.left)),
              static_cast<LONG>((p.y - all.top + 0.5) * 65536 / (all.bottom - all.top)));
}

void SendKey(WORD virtualKey, bool up) {
    SendInputs({KeyInput(virtualKey, up)});
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
    SendInputs(keys);
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

void MoveMouseTo(POINT p) {
    auto there = [=] { return CursorAt(p); };
    // A late echo of an earlier move can drag the cursor back (docs/WINE.md): wait for the
    // position, for the program to be idle and for the position to stay; else move again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendAbsolute(0, p);
        WaitUntil(there, 1000);
        WaitForInputIdle(drivenProcess, 1000); // at once without a program
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

void ClickAt(POINT p) {
    MoveMouseTo(p);
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, p);
    SendAbsolute(MOUSEEVENTF_LEFTUP, p);
}

void ClickOn(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void DragTo(POINT from, POINT to) {
    MoveMouseTo(from);
    SendAbsolute(MOUSEEVENTF_LEFTDOWN, from);
    for (int i = 1; i <= 10; ++i) {
        MoveMouseTo({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10});
    }
    SendAbsolute(MOUSEEVENTF_LEFTUP, to);
}

// ---- The screen ----

Screenshot Painted(int width, int height, const std::function<void(HDC)>& paint) {
    const BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    paint(dc);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    Screenshot picture = {width, height, {pixels, pixels + static_cast<size_t>(width) * height}};
    for (uint32_t& pixel : picture.pixels) {
        pixel &= 0xFFFFFF;
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
            const Screenshot before = std::exchange(previous, CaptureScreen());
            return before == previous;
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
        pixel &= 0xFFFFFF; // the top byte is no colour
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

TempPng::TempPng(const wchar_t* name, int width, int height, uint32_t left, uint32_t right)
    : path(TempPath(name)) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<int>(i % width) < width / 2 ? left : right;
    }
    written = WritePng(path, width, height, pixels.data(), true);
}

bool FadedOnce(const Screenshot& shot, const Screenshot& slide, int x, int y) {
    for (int shift : {0, 8, 16}) {
        const int expected = static_cast<int>(slide.At(x, y) >> shift & 0xFF) * 0x4F / 255;
        if (std::abs(static_cast<int>(shot.At(x, y) >> shift & 0xFF) - expected) > 2) {
            return false;
        }
    }
    return true;
}

void KeepScreenshotOfFailure() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS");
    if (folder != nullptr && test != nullptr && test->result()->Failed()) {
        const std::string name = std::string(test->test_suite_name()) + "." + test->name();
        const Screenshot shot = CaptureScreen(VirtualScreen());
        WritePng(std::wstring(folder) + L"\\failed-" + std::wstring(name.begin(), name.end()) +
                     L".png",
                 shot.width, shot.height, shot.pixels.data());
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
            const auto code =
                static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | x >> 8 << 4 | y >> 8);
            picture.pixels.push_back(fill == SlideFill::White ? 0xFFFFFFu : code);
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
          WNDCLASSW windowClass = {.lpfnWndProc = PatternWindowProc,
                                   .cbWndExtra = sizeof(void*),
                                   .hInstance = GetModuleHandleW(nullptr),
                                   .hCursor = LoadCursorW(nullptr, IDC_ARROW),
                                   .lpszClassName = L"VistrelTestPattern"};
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
    const auto channel = [pixel](int shift) { return static_cast<int>(pixel >> shift & 0xFF); };
    return {(channel(0) >> 4) * 256 + channel(16), (channel(0) & 0xF) * 256 + channel(8)};
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
