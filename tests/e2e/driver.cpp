// Outside driving of the program for end-to-end tests (see driver.h).
#include "e2e/driver.h"

#include <cstdlib>
#include <utility>

#include <gtest/gtest.h>

#include "support/png_file.h"
#include "zoom/hotkey_value.h"

namespace {

// The copy of the program that input goes to, for waiting until it has taken each event.
HANDLE drivenProcess = nullptr;

} // namespace

std::wstring VistrelExePath() {
    const char* unixPath = std::getenv("VISTREL_EXE");
    std::wstring path = L"Z:";
    for (const char* c = unixPath != nullptr ? unixPath : ""; *c != 0; ++c) {
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return path;
}

VistrelProcess::VistrelProcess(VistrelProcess&& other) noexcept : info(other.info) {
    other.info = {};
}

VistrelProcess& VistrelProcess::operator=(VistrelProcess&& other) noexcept {
    if (this != &other) {
        End();
        info = other.info;
        other.info = {};
    }
    return *this;
}

VistrelProcess::~VistrelProcess() {
    End();
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
    if (info.hProcess == nullptr ||
        WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

VistrelProcess StartVistrel(const std::wstring& arguments) {
    const std::wstring exe = VistrelExePath();
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
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
    // The window can be found while its creation (settings, hotkeys) is still running; the
    // program is ready once it first waits for input.
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

bool HasKeyboardFocus(HWND window) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return GetForegroundWindow() == window &&
           GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) &&
           thread.hwndFocus == window;
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

void PostCommand(HWND mainWindow, uint32_t command) {
    PostMessageW(mainWindow, WM_COMMAND, command, 0);
}

namespace {

void DeleteTree(const wchar_t* path) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path);
}

} // namespace

void ClearProgramRegistry() {
    DeleteTree(L"Software\\tarnove");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Vistrel");
        RegCloseKey(run);
    }
}

void WriteSettingDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, REG_DWORD, &value, sizeof value);
}

std::optional<DWORD> ReadSettingDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kTestSettingsKey, name, RRF_RT_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
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

void WriteString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool KeyExists(const wchar_t* keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
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

HeldHotkey::~HeldHotkey() {
    Release();
}

void HeldHotkey::Release() {
    if (held) {
        UnregisterHotKey(nullptr, id);
        held = false;
    }
}

namespace {

std::wstring SystemKeyName(UINT virtualKey) {
    wchar_t name[64] = {};
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16), name, 64);
    return name;
}

} // namespace

std::wstring ExpectedHotkeyName(uint32_t value) {
    std::wstring name;
    if (value & kHotkeyCtrl) {
        name += SystemKeyName(VK_CONTROL) + L"+";
    }
    if (value & kHotkeyShift) {
        name += SystemKeyName(VK_SHIFT) + L"+";
    }
    if (value & kHotkeyAlt) {
        name += SystemKeyName(VK_MENU) + L"+";
    }
    return name + SystemKeyName(value & 0xFF);
}

namespace {

void SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.mouseData = data;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
}

void PressShifted(WORD virtualKey) {
    SendKey(VK_SHIFT, false);
    PressKey(virtualKey);
    SendKey(VK_SHIFT, true);
}

void MoveMouseTo(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    auto there = [=] {
        POINT cursor = {};
        GetCursorPos(&cursor);
        return cursor.x == x && cursor.y == y;
    };
    // Under Wine the move reaches the cursor position asynchronously. It also moves the X
    // pointer, and the program whose window lies under it reports that motion back as input of
    // its own, late: a report of an earlier move that is taken after this one drags the cursor
    // back. So wait for the position, for the program to be idle, and for the position to stay;
    // when a late report moved it, move again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                  static_cast<LONG>((x + 0.5) * 65536 / width),
                  static_cast<LONG>((y + 0.5) * 65536 / height));
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

namespace {

// Button events carry their own absolute position: under Wine a late echo of an earlier
// cursor move can otherwise give the button the position before the last move.
void SendButtonAt(DWORD button, int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
              static_cast<LONG>((x + 0.5) * 65536 / width),
              static_cast<LONG>((y + 0.5) * 65536 / height));
}

} // namespace

void PressLeft(int x, int y) {
    SendButtonAt(MOUSEEVENTF_LEFTDOWN, x, y);
}

void ReleaseLeft(int x, int y) {
    SendButtonAt(MOUSEEVENTF_LEFTUP, x, y);
}

void PressWithCtrl(WORD virtualKey) {
    SendKey(VK_CONTROL, false);
    PressKey(virtualKey);
    SendKey(VK_CONTROL, true);
}

void PressWithCtrlQueued(WORD virtualKey, int times) {
    std::vector<INPUT> keys;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        keys.push_back(input);
    };
    add(VK_CONTROL, 0);
    for (int i = 0; i < times; ++i) {
        add(virtualKey, 0);
        add(virtualKey, KEYEVENTF_KEYUP);
    }
    add(VK_CONTROL, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

void DragTo(int fromX, int fromY, int x, int y, int steps) {
    MoveMouseTo(fromX, fromY);
    PressLeft(fromX, fromY);
    for (int i = 1; i <= steps; ++i) {
        MoveMouseTo(fromX + (x - fromX) * i / steps, fromY + (y - fromY) * i / steps);
    }
    ReleaseLeft(x, y);
}

void ClickRight() {
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
}

Screenshot CaptureScreen() {
    Screenshot shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        shot.pixels[i] = source[i] & 0xFFFFFF;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
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

void KeepScreenshot(const std::wstring& name) {
    if (const wchar_t* folder = _wgetenv(L"VISTREL_TEST_SHOTS")) {
        SaveScreenshot(CaptureScreen(), std::wstring(folder) + L"\\" + name + L".png");
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

namespace {

LRESULT CALLBACK PatternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const auto* picture =
            reinterpret_cast<const Screenshot*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (picture != nullptr) {
            BITMAPINFO info = {};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = picture->width;
            info.bmiHeader.biHeight = -picture->height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
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
    if (fill == SlideFill::Coordinates) {
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t blue = static_cast<uint32_t>((x >> 8) << 4 | (y >> 8));
                picture.pixels[static_cast<size_t>(y) * picture.width + x] =
                    (static_cast<uint32_t>(x & 0xFF) << 16) |
                    (static_cast<uint32_t>(y & 0xFF) << 8) | blue;
            }
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
    // Activation completes asynchronously; a late one would take the focus from the program
    // under test in the middle of the test.
    WaitUntil([this] { return GetForegroundWindow() == window; });
    // The taskbar is topmost too and now and then comes out above the slide: put the slide on
    // top until its bottom row shows.
    WaitUntil([this] {
        const Screenshot shot = CaptureScreen();
        const int y = shot.height - 3;
        if (shot.At(7, y) == picture.At(7, y)) {
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
