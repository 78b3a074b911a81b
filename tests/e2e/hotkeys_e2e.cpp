// End to end: the global hotkeys registered at start, the stored values replacing the defaults,
// and the conflict box naming a combination another program holds.
#include <gtest/gtest.h>

#include "e2e/program_test.h"

namespace {

class Hotkeys : public ProgramTest {
protected:
};

TEST_F(Hotkeys, DefaultsAreRegisteredButLiveZoomNeedsTheMagnifier) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_TRUE(HotkeyHeldElsewhere(0x131));  // Shift+1 zoom
    EXPECT_TRUE(HotkeyHeldElsewhere(0x132));  // Shift+2 draw
    EXPECT_TRUE(HotkeyHeldElsewhere(0x133));  // Shift+3 break
    // This system has no magnification library: no live zoom, so Shift+4 stays free.
    EXPECT_FALSE(HotkeyHeldElsewhere(0x134));
}

TEST_F(Hotkeys, StoredValuesReplaceTheDefaults) {
    WriteSettingDword(L"HotkeyZoom", 0x231);      // Ctrl+1
    WriteSettingDword(L"HotkeyBreak", 0);         // no break hotkey
    WriteSettingDword(L"HotkeyLivezoom", 0x535);  // Shift+Alt+5, stored: registered anyway
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_TRUE(HotkeyHeldElsewhere(0x231));
    EXPECT_FALSE(HotkeyHeldElsewhere(0x131));
    EXPECT_FALSE(HotkeyHeldElsewhere(0x133));
    EXPECT_TRUE(HotkeyHeldElsewhere(0x535));
    EXPECT_TRUE(HotkeyHeldElsewhere(0x132));
}

TEST_F(Hotkeys, TakenCombinationIsReportedByNameAndTheOthersStillRegister) {
    HeldHotkey taken(0x131);
    ASSERT_TRUE(taken.held);
    vistrel = StartVistrel();
    HWND box = WaitForDialog(vistrel.Id(), 10000);
    ASSERT_NE(box, nullptr);
    DialogSnapshot shown = ReadDialog(box);
    DismissDialog(box);
    EXPECT_EQ(shown.caption, L"Information");
    EXPECT_EQ(ExpectedHotkeyName(0x131), L"Shift+1");  // an English layout
    EXPECT_EQ(shown.Text(), L"Hot key " + ExpectedHotkeyName(0x131) +
                                L" is already in use.\nSelect a different hot key.");
    mainWindow = WaitForMainWindow(vistrel.Id());
    ASSERT_NE(mainWindow, nullptr);
    // One box only: the other hotkeys registered.
    EXPECT_TRUE(NoDialogWithin(vistrel.Id(), 300));
    EXPECT_TRUE(HotkeyHeldElsewhere(0x132));
    EXPECT_TRUE(HotkeyHeldElsewhere(0x133));
}

} // namespace
