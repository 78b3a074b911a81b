// The zoom's platform-free rules: the visible part for a magnification and zoom point, the
// wheel's notches and magnification steps, the animation's ticks, the start magnification, the
// hotkey values and their names, the first-match lookup of the dispatch tables, and the view's
// own scaler with the measured choice of painter.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "zoom/hotkey_value.h"
#include "zoom/zoom_geometry.h"
#include "zoom/view_scaler.h"
#include "zoom/zoom_levels.h"

namespace {

// Stands in for the system's key names and records the room each call was offered.
struct FakeKeyNames {
    std::map<uint32_t, std::u16string> names = {
        {0x11, u"Ctrl"}, {0x10, u"Shift"}, {0x12, u"Alt"}, {0x31, u"1"}, {0x2E, u"Delete"}};
    static int Write(void* context, uint32_t key, bool extended, Utf16Unit* out, int room) {
        auto& self = *static_cast<FakeKeyNames*>(context);
        const std::u16string name = self.names[key] + (extended ? u" (ext)" : u"");
        const int count = std::min(static_cast<int>(name.size()), room - 1);
        *std::copy_n(name.begin(), count, out) = 0;
        return count;
    }
    // Composed into a buffer full of garbage, so that a missing terminator shows.
    std::u16string Compose(uint32_t value) {
        std::array<Utf16Unit, kHotkeyNameUnits> out;
        out.fill(u'#');
        ComposeHotkeyName(value, KeyNameSource{&FakeKeyNames::Write, this}, out);
        return std::u16string(out.begin(), std::find(out.begin(), out.end(), Utf16Unit{0}));
    }
};

} // namespace

// 4x on 1920 x 1080 at (1900, 540): the view is 480 wide; the proportional origin 1425 leaves
// the point 5 pixels from the right edge, so the margin rule of an eighth pushes it to 1440.
TEST(ComputeSourceOrigin, KeepsThePointAnEighthInsideTheViewAndTheViewInsideTheCapture) {
    EXPECT_EQ(ComputeSourceOrigin(4.0f, {1900, 540}, 1920, 1080), (CapturePoint{1440, 405}));
    EXPECT_EQ(ComputeSourceOrigin(2.0f, {960, 540}, 1920, 1080), (CapturePoint{480, 270}));
    EXPECT_EQ(ComputeSourceOrigin(4.0f, {100, 100}, 1920, 1080).x, 40); // 60 pixels at 4x
    EXPECT_EQ(ComputeSourceOrigin(1.0f, {1234, 567}, 1920, 1080), (CapturePoint{0, 0}));
    for (float zoom : {1.0f, 1.25f, 2.0f, 4.0f, 32.0f}) {
        SCOPED_TRACE(zoom);
        EXPECT_EQ(ComputeSourceOrigin(zoom, {0, 0}, 1920, 1080), (CapturePoint{0, 0}));
        const CapturePoint far = ComputeSourceOrigin(zoom, {1919, 1079}, 1920, 1080);
        EXPECT_EQ(far.x + VisibleExtent(1920, zoom), 1920);
        EXPECT_EQ(far.y + VisibleExtent(1080, zoom), 1080);
    }
    for (float zoom : {1.1f, 1.5f, 3.0f, 8.0f, 16.0f}) {
        for (int x = 0; x < 3840; x += 97) {
            const auto [ox, oy] = ComputeSourceOrigin(zoom, {x, x % 2160}, 3840, 2160);
            ASSERT_TRUE(ox >= 0 && ox + VisibleExtent(3840, zoom) <= 3840) << zoom << " " << x;
            ASSERT_TRUE(oy >= 0 && oy + VisibleExtent(2160, zoom) <= 2160) << zoom << " " << x;
        }
    }
}

// Deltas add up to notches of 120 and a turn back drops the rest; one notch down is two zoom-out
// steps. A stored start level outside the table falls back to 2.
TEST(WheelZoom, NotchesTheLevelsTheyReachTheLimitsTheStartLevelAndTheAnimatedStep) {
    const std::vector<std::pair<int, int>> runs[] = {
        {{30, 0}, {30, 0}, {30, 0}, {30, 1}, {30, 0}}, // a touchpad swipe: four messages a notch
        {{120, 1}, {240, 2}, {0, 0}, {-120, -1}},
        {{150, 1}, {100, 1}, {-30, 0}, {-90, -1}}, // 30 and then 10 left over, dropped at the turn
        {{90, 0}, {-30, 0}, {30, 0}, {-110, 0}, {-10, -1}},
    };
    for (const auto& run : runs) {
        int32_t rest = 0;
        for (size_t i = 0; i < run.size(); ++i) {
            EXPECT_EQ(TakeWheelNotches(rest, run[i].first), run[i].second)
                << "message " << i << " of the run from " << run[0].first;
        }
    }
    const std::tuple<float, int, float> steps[] = {
        {1.0f, 1, 2.0f},   {1.25f, 1, 2.0f}, {2.0f, 1, 4.0f},    {16.0f, 1, 32.0f}, {2.0f, 2, 8.0f},
        {32.0f, -1, 8.0f}, {8.0f, -1, 2.0f}, {2.0f, -1, 1.125f}, {1.125f, -1, 1.0f}};
    for (const auto& [from, notch, target] : steps) {
        ZoomMotion motion = {from, from, 0.0f};
        ApplyWheelZoom(motion, notch, false);
        EXPECT_EQ(motion.target, target) << from << " by " << notch;
        EXPECT_EQ(motion.current, motion.target);
    }
    // At a limit nothing changes and no timer starts; the level is shown at once.
    const std::pair<ZoomMotion, int> limits[] = {
        {{20.0f, 32.0f, 1.1f}, 1}, {{1.0f, 1.0f, 0.8f}, -3}, {{2.0f, 2.0f, 0}, 0}};
    for (auto [motion, notches] : limits) {
        const float target = motion.target;
        EXPECT_FALSE(ApplyWheelZoom(motion, notches, true)) << target;
        EXPECT_EQ(motion.current, target);
        EXPECT_EQ(motion.target, target);
    }
    for (uint32_t level : {6u, 100u, 0xFFFFFFFFu}) {
        EXPECT_EQ(StartMagnification(level), 2.0f) << level;
    }
    // Animated steps move the shown level one step ahead; without animation they jump.
    ZoomMotion motion = {2.0f, 2.0f, 0.0f};
    EXPECT_TRUE(ApplyWheelZoom(motion, 1, true));
    EXPECT_EQ(motion.target, 4.0f);
    EXPECT_FLOAT_EQ(motion.current, 2.2f);
    EXPECT_FLOAT_EQ(motion.step, 1.1f);
    // Without animation the first tick shows the target.
    ZoomMotion jump = {2.0f, 2.0f, 0.0f};
    EXPECT_TRUE(ApplyWheelZoom(jump, -1, false));
    EXPECT_EQ(jump.current, 1.125f);
    EXPECT_FLOAT_EQ(jump.step, 0.8f);
}

// One factor of the step per 20 ms of the clock since the animation left its level, however
// the ticks fall: 1.1 to 2.0 takes 125.4 ms, 2.0 to 1.0 takes 62.1 ms.
TEST(AdvanceZoom, TheLevelIsTheClocksAndStopsOnTheTarget) {
    // From, target, step, the milliseconds since the start, the level then and whether it arrived.
    const std::tuple<float, float, float, double, float, bool> rows[] = {
        {1.1f, 2.0f, 1.1f, 0.0, 1.1f, false},
        {1.1f, 2.0f, 1.1f, 40.0, 1.331f, false}, // two steps, in one tick or two
        {1.1f, 2.0f, 1.1f, 125.0, 1.99571f, false},
        {1.1f, 2.0f, 1.1f, 126.0, 2.0f, true},
        {2.0f, 1.0f, 0.8f, 62.0, 1.00140f, false},
        {2.0f, 1.0f, 0.8f, 63.0, 1.0f, true},
        {2.2f, 4.0f, 1.1f, -5.0, 2.2f, false}, // a clock read before the start counts as 0
        {1.0f, 1.0f, 0.0f, 500.0, 1.0f, true}, // no step: the tick only ends the animation
    };
    for (const auto& [from, target, step, ms, level, arrived] : rows) {
        ZoomMotion motion = {from, target, step};
        EXPECT_EQ(AdvanceZoom(motion, from, ms), arrived) << ms;
        EXPECT_NEAR(motion.current, level, 1e-5f) << ms;
    }
}

TEST(TranslateHotkey, SwapsALoneShiftOrAltAndDropsTheExtendedBit) {
    // The value, then RegisterHotKey's modifiers (Alt 1, Ctrl 2, Shift 4) and key.
    const uint32_t cases[][3] = {{0x131, 4, 0x31}, {0x431, 1, 0x31}, {0x531, 5, 0x31},
                                 {0x558, 5, 0x58}, {0x258, 2, 0x58}, {0x358, 6, 0x58},
                                 {0x658, 3, 0x58}, {0x931, 4, 0x31}, {0x070, 0, 0x70}};
    for (const auto& [value, modifiers, key] : cases) {
        const HotkeyRegistration r = TranslateHotkey(value);
        EXPECT_EQ(r.modifiers << 8 | r.virtualKey, modifiers << 8 | key) << std::hex << value;
        EXPECT_EQ(TranslateHotkey(value, true).modifiers, modifiers | kModNoRepeat);
    }
}

TEST(HotkeyTexts, CtrlShiftAltThenTheKeyEachGivenTheRoomLeftAndTheConflictWithin259Units) {
    FakeKeyNames names;
    EXPECT_EQ(names.Compose(0x731), u"Ctrl+Shift+Alt+1");
    EXPECT_EQ(names.Compose(0xB2E), u"Ctrl+Shift+Delete (ext)"); // only the key is extended
    EXPECT_EQ(names.Compose(0x3FF), u"Ctrl+Shift+") << "a key without a name";
    names.names[0x11] = std::u16string(126, u'e'); // its "+" is the 127th unit
    EXPECT_EQ(names.Compose(0x231), names.names[0x11] + u"+");
    names.names[0x11] = std::u16string(500, u'h'); // cut at 127 units, no room for more
    EXPECT_EQ(names.Compose(0x731), std::u16string(127, u'h'));

    std::array<Utf16Unit, kHotkeyConflictUnits> out;
    ComposeHotkeyConflictText(u"Ctrl+Shift+1", out);
    EXPECT_EQ(std::u16string_view(out.data()),
              u"Hot key Ctrl+Shift+1 is already in use.\nSelect a different hot key.");
    out.fill(u'#');
    ComposeHotkeyConflictText(std::u16string(300, u'k'), out);
    EXPECT_EQ(std::u16string_view(out.data()), u"Hot key " + std::u16string(251, u'k'));
}

// The scaler against the plain definition, pixel by pixel: whole targets and partial areas, at
// whole and fractional magnifications, with the visible part at the capture's edges and beyond.
TEST(ScaleView, EveryTargetPixelShowsTheSourcePixelUnderItsCentre) {
    constexpr int32_t kWidth = 160, kHeight = 90;
    std::vector<uint32_t> source(kWidth * kHeight);
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<uint32_t>(i); // each pixel names its own place
    }
    const PixelSurface from = {source.data(), kWidth, kHeight, kWidth};
    ScalerScratch scratch;
    const std::tuple<float, CapturePoint, PixelArea> cases[] = {
        {1.1f, {80, 45}, {0, 0, kWidth, kHeight}},  {2.0f, {0, 0}, {0, 0, kWidth, kHeight}},
        {2.5f, {159, 89}, {0, 0, kWidth, kHeight}}, // runs of a column: by table
        {1.5f, {30, 60}, {17, 3, 101, 77}},         // the same, in part of the target
        {4.0f, {100, 30}, {13, 7, 61, 40}},         // a drawn segment's rectangle
        {8.0f, {40, 80}, {-5, -5, 300, 300}},       // clipped to the target
        {32.0f, {159, 0}, {0, 0, kWidth, kHeight}}, {3.0f, {70, 40}, {50, 50, 50, 60}}}; // empty
    for (const auto& [zoom, point, area] : cases) {
        const CapturePoint origin = ComputeSourceOrigin(zoom, point, kWidth, kHeight);
        const VisiblePart part = {origin.x, origin.y, VisibleExtent(kWidth, zoom),
                                  VisibleExtent(kHeight, zoom)};
        std::vector<uint32_t> target(kWidth * kHeight, 0xDEADBEEF);
        ScaleView(from, part, {target.data(), kWidth, kHeight, kWidth}, area, scratch);
        int wrong = 0;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                const bool inside =
                    x >= area.left && x < area.right && y >= area.top && y < area.bottom;
                const int32_t sx = part.x + (2 * x + 1) * part.width / (2 * kWidth);
                const int32_t sy = part.y + (2 * y + 1) * part.height / (2 * kHeight);
                const uint32_t expected = inside ? source[sy * kWidth + sx] : 0xDEADBEEF;
                wrong += target[y * kWidth + x] != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << "zoom " << zoom << " at " << point.x << ", " << point.y;
    }
    // A visible part reaching past the source is kept inside it.
    std::vector<uint32_t> target(kWidth * kHeight);
    ScaleView(from, {150, 85, 40, 30}, {target.data(), kWidth, kHeight, kWidth},
              {0, 0, kWidth, kHeight}, scratch);
    EXPECT_EQ(target.back(), source.back());
}

TEST(ChoosePainter, EachPainterPaintsItsTurnsThenTheQuickerPaints) {
    PainterChoice choice;
    std::vector<ViewPainter> turns;
    for (int i = 0; i < 2 * PainterChoice::kSamples; ++i) {
        const ViewPainter painter = ChoosePainter(choice, 2.0f);
        turns.push_back(painter);
        RecordPaint(choice, 2.0f, painter, painter == ViewPainter::Scaler ? 3.0 : 9.0 - i);
    }
    EXPECT_EQ(std::count(turns.begin(), turns.end(), ViewPainter::Scaler), PainterChoice::kSamples);
    // The best StretchBlt paint (4 ms) is slower than every scaler paint (3 ms).
    EXPECT_EQ(ChoosePainter(choice, 2.9f), ViewPainter::Scaler);
    RecordPaint(choice, 2.0f, ViewPainter::StretchBlt, 1.0); // a quicker one turns the choice
    EXPECT_EQ(ChoosePainter(choice, 2.5f), ViewPainter::StretchBlt);
    // Another band is measured on its own.
    EXPECT_EQ(ChoosePainter(choice, 32.0f), ViewPainter::Scaler);
    // From 2 whole rows are doubled: another cost from 1.75's.
    const std::pair<float, int> bands[] = {
        {1.1f, 0}, {1.5f, 1}, {1.75f, 1}, {2.0f, 2}, {1000.0f, PainterChoice::kBands - 1}};
    for (auto [zoom, band] : bands) {
        EXPECT_EQ(MagnificationBand(zoom), band) << zoom;
    }
}
