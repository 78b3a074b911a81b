// The system stand-ins (see system_stand_ins.h).
#include "support/system_stand_ins.h"

#include <utility>

#include "shared/clock.h"
#include "shell/optional_functions.h"
#include "zoom/app_state.h"

namespace {
double (*realClock)() = nullptr;

bool PaintPending(HWND window) {
    bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) {
            *reinterpret_cast<bool*>(found) |= GetUpdateRect(child, nullptr, FALSE) != FALSE;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return pending;
}
} // namespace

double FakeClock::now = 0.0;

FakeClock::FakeClock() {
    now = 1000.0;
    realClock = std::exchange(clockMs, [] { return now; });
}

FakeClock::~FakeClock() {
    clockMs = realClock;
}

std::vector<CloakCall> cloakCalls;

void RecordCloaking() {
    cloakCalls.clear();
    optionalFunctions.DwmSetWindowAttribute = [](HWND window, DWORD attribute, const void* value,
                                                 DWORD size) -> HRESULT {
        constexpr DWORD kCloak = 13; // DWMWA_CLOAK
        if (attribute != kCloak || size != sizeof(BOOL)) {
            return E_INVALIDARG;
        }
        cloakCalls.push_back({window, *static_cast<const BOOL*>(value),
                              IsWindowVisible(window) != FALSE, PaintPending(window),
                              app.currentZoom});
        return S_OK;
    };
}
