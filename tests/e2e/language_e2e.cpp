// The start-up language reaches the real tray menu: a stored choice and a "*.lang" file that
// matches the interface language. The program's menu is compared, pixel for pixel, with menus
// built here from the expected texts: the translated one must match, the English one must not.
#include <cstring>
#include <string>
#include <vector>

#include "e2e/program_test.h"
#include "zoom/message_ids.h"

namespace {

struct MenuItem {
    UINT command; // 0: a separator
    const wchar_t* text;
};

const std::vector<MenuItem> kEnglishTray = {
    {1004, L"&Options"}, {0, L""},         {1011, L"&Break Timer"},
    {1007, L"&Draw"},    {1009, L"&Zoom"}, {0, L""},
    {2, L"E&xit"}};
const std::vector<MenuItem> kChineseTray = {
    {1004, L"选项(&O)"}, {0, L""}, {1011, L"休息计时器(&B)"}, {1007, L"绘制(&D)"},
    {1009, L"放大(&Z)"}, {0, L""}, {2, L"退出(&X)"}};

struct MenuPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const MenuPicture&) const = default;
};

MenuPicture Picture(HWND popup) {
    MenuPicture picture;
    RECT rect = {};
    GetWindowRect(popup, &rect);
    picture.width = rect.right - rect.left;
    picture.height = rect.bottom - rect.top;
    const Screenshot shot = CaptureSettledScreen();
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            picture.pixels.push_back(shot.At(x, y));
        }
    }
    return picture;
}

HWND VisibleMenuOf(DWORD processId) {
    HWND popup = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> menus = TopLevelWindowsOf(processId, L"#32768", true);
        popup = menus.empty() ? nullptr : menus.front();
        return popup != nullptr;
    });
    return popup;
}

// Shows a popup menu of `items` here, at the cursor as the tray menu opens, and takes its
// picture.
MenuPicture ReferenceMenu(const std::vector<MenuItem>& items) {
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1,
                                 1, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    HMENU menu = CreatePopupMenu();
    UINT position = 0;
    for (const MenuItem& item : items) {
        InsertMenuW(menu, position++, MF_BYPOSITION | (item.command ? MF_STRING : MF_SEPARATOR),
                    item.command, item.command ? item.text : nullptr);
    }
    MenuPicture picture;
    std::thread reader([&] {
        if (HWND popup = VisibleMenuOf(GetCurrentProcessId())) {
            picture = Picture(popup);
            PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    });
    POINT cursor = {};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, owner, nullptr);
    reader.join();
    DestroyMenu(menu);
    DestroyWindow(owner);
    return picture;
}

class Language : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MoveMouseTo(600, 400);
    }
    // Opens the real tray menu as a click on the icon does, takes its picture and closes it.
    MenuPicture TrayMenu() {
        PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONDOWN);
        EXPECT_TRUE(WaitUntil([this] { return GetForegroundWindow() == mainWindow; }));
        PostMessageW(mainWindow, kTrayNotifyMessage, 1, WM_LBUTTONUP);
        HWND popup = VisibleMenuOf(vistrel.Id());
        EXPECT_NE(popup, nullptr);
        if (popup == nullptr) {
            return {};
        }
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        KeepScreenshot(L"tray-menu-" + std::wstring(test.begin(), test.end()));
        MenuPicture picture = Picture(popup);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(
            WaitUntil([this] { return TopLevelWindowsOf(vistrel.Id(), L"#32768", true).empty(); }));
        return picture;
    }
};

TEST_F(Language, AStoredChoiceTranslatesTheTrayMenu) {
    BYTE chinese[604] = {};
    std::memcpy(chinese, L"117", 8);
    chinese[520] = 1;
    std::memcpy(chinese + 524, L"2052", 10);
    std::memcpy(chinese + 540, L"简体中文", 10);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestSettingsKey, L"Lang", REG_BINARY, chinese,
                              sizeof chinese),
              0);
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const MenuPicture tray = TrayMenu();
    EXPECT_EQ(tray, ReferenceMenu(kChineseTray));
    EXPECT_NE(tray, ReferenceMenu(kEnglishTray));
}

TEST_F(Language, AFileForTheInterfaceLanguageIsChosenAtStartWithoutBeingStored) {
    // The program starts in this test's current directory, where it looks for "*.lang".
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring directory = std::wstring(temp) + L"vistrel-lang-e2e";
    CreateDirectoryW(directory.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(directory.c_str()));
    const std::string document = "<Localization><Language id='" +
                                 std::to_string(GetUserDefaultUILanguage()) +
                                 "' name='Test'><Section name='TrayMenu'>"
                                 "<Control id='1004' class='Menu'>O&amp;ptions...</Control>"
                                 "<Control id='2' class='Menu'>&amp;Quit</Control>"
                                 "</Section></Language></Localization>";
    HANDLE file = CreateFileW(L"test.lang", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, document.data(), static_cast<DWORD>(document.size()), &written, nullptr);
    CloseHandle(file);

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    std::vector<MenuItem> expected = kEnglishTray;
    expected[0].text = L"O&ptions...";
    expected[6].text = L"&Quit";
    const MenuPicture tray = TrayMenu();
    EXPECT_EQ(tray, ReferenceMenu(expected));
    EXPECT_NE(tray, ReferenceMenu(kEnglishTray));
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kTestSettingsKey, L"Lang", RRF_RT_ANY, nullptr,
                           nullptr, nullptr),
              ERROR_SUCCESS);
}

} // namespace
