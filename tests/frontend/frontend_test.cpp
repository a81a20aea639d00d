// The tables that both windows share: the stored keys and their value forms, the field tidy-up, the
// design's layout and the directory field with its folder dialog.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "directory_field.h"
#include "field_tidy.h"
#include "run_feedback.h"
#include "settings_keys.h"
#include "window_design.h"

namespace tarnix::frontend {
namespace {

TEST(SettingsKeys, ThirteenPropertiesInTheirOrder) {
    std::vector<std::string> keys(kStoredProperties.size());
    std::transform(kStoredProperties.begin(), kStoredProperties.end(), keys.begin(), KeyOf);
    EXPECT_EQ(keys, (std::vector<std::string>{"Dir_Text", "chClose_Checked", "m10_Checked", "m15_Checked",
                                              "m5_Checked", "m60_Checked", "ms7_Checked", "Cust_Text",
                                              "mCust_Checked", "Period_Checked", "Voluem_Checked",
                                              "PER_Checked", "Rus_Checked"}));
}

TEST(SettingsKeys, ValueFormsReadBackAsWritten) {
    const std::pair<const char*, const char*> quoted[] = {
        //  control text       written
        {"  c:\\data\\ \t", "c:\\data\\"}, {R"("quoted")", R"(""quoted"")"},
        {"'single'", R"("'single'")"},     {R"(")", R"(""")"},
        {R"(half")", R"(half")"},          {"", ""},
    };
    for (const auto& [text, written] : quoted) EXPECT_EQ(QuotedText(text), written) << text;

    const std::pair<const char*, std::optional<bool>> booleans[] = {
        {"True", true},      {" true\t", true},     {"FALSE", false},
        {"1", std::nullopt}, {"yes", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [text, value] : booleans) EXPECT_EQ(BooleanOf(text), value) << text;
    EXPECT_EQ(BooleanText(true), "True");
    EXPECT_EQ(BooleanText(false), "False");
}

TEST(SettingsKeys, PlacementTexts) {
    EXPECT_EQ(ScreenSizeSuffix(1024, 768), "(1024x768)");
    EXPECT_EQ(PositionsText({-1, -1, -4, -4}), "-1,-1,-4,-4");
    const Positions fallback = {7, 8, 9, 10};
    const std::pair<const char*, Positions> read[] = {
        {"521,213,842,639", {521, 213, 842, 639}},
        {" 1 ,, 2,3 4", {1, 2, 3, 4}},
        {"$10,x,5", {16, 8, 5, 10}},
        {"", fallback},
    };
    for (const auto& [text, positions] : read) EXPECT_EQ(PositionsOf(text, fallback), positions) << text;
    EXPECT_EQ(IntegerOr(" 96", 0), 96);
    EXPECT_EQ(IntegerOr("96 ", 0), 0);
    const std::pair<const char*, int> decimals[] = {{"5", 5}, {" 8 ", 8}, {"1", 1},    {"", 4},  {"0", 4},
                                                    {"9", 4}, {"-5", 4},  {"five", 4}, {"$6", 6}};
    for (const auto& [text, value] : decimals) EXPECT_EQ(PriceDecimalsOf(text), value) << text;
}

TEST(FieldTidy, CustomIntervalAsTheRunReadsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {" 015", "15"}, {"$F0", "240"}, {"$FFFFFFFF", "-1"}, {"-5", "-5"},   {"0", "0"},
        {"abc", "240"}, {"", "240"},    {"15 ", "240"},      {"-$F", "240"}, {"99999999999", "240"},
    };
    for (const auto& [text, tidy] : cases) EXPECT_EQ(TidyCustomInterval(text), tidy) << text;
}

TEST(WindowDesign, EveryControlLiesInsideItsParentAndCaptionsComeInBothLanguages) {
    for (const ControlDesign& control : kControls) {
        const Bounds outer = control.parent.empty() ? Bounds{0, 0, kClientWidth, kClientHeight}
                                                    : ControlNamed(control.parent).bounds;
        EXPECT_LE(control.bounds.left + control.bounds.width, outer.width) << control.name;
        EXPECT_LE(control.bounds.top + control.bounds.height, outer.height) << control.name;
        EXPECT_EQ(control.russian.empty(), control.english.empty()) << control.name;
    }
    for (const std::string_view name : kCaptionedControls) {
        EXPECT_FALSE(CaptionOf(ControlNamed(name), false).empty()) << name;
    }
    EXPECT_EQ(CaptionOf(ControlNamed("Make"), true), "Обработать");
    EXPECT_EQ(CaptionOf(ControlNamed("Make"), false), "Process");
    EXPECT_THROW(ControlNamed("Nothing"), std::out_of_range);
}

TEST(WindowDesign, ScalesToTheScreensDensity) {
    const std::array<std::array<int, 3>, 5> cases = {{
        //  design  dpi  scaled
        {315, 96, 315},
        {315, 120, 394},  // 393.75
        {2, 144, 3},
        {17, 120, 21},  // 21.25
        {-1, 144, -2},
    }};
    for (const auto& [pixels, dpi, scaled] : cases)
        EXPECT_EQ(Scaled(pixels, dpi), scaled) << pixels << " " << dpi;
}

TEST(RunFeedback, ShowsEachNewLineNumberOnceAndYieldsAtMostEvery10Milliseconds) {
    RunFeedback feedback;
    EXPECT_EQ(feedback.TakeCounterText(), std::nullopt);
    feedback.SetLineNumber(7);
    feedback.SetLineNumber(8);
    EXPECT_EQ(feedback.TakeCounterText(), "Строка: 8");
    EXPECT_EQ(feedback.TakeCounterText(), std::nullopt);

    const std::chrono::steady_clock::time_point start{std::chrono::hours(1)};
    using std::chrono::milliseconds;
    EXPECT_TRUE(feedback.YieldDue(start));
    EXPECT_FALSE(feedback.YieldDue(start + milliseconds(9)));
    EXPECT_TRUE(feedback.YieldDue(start + milliseconds(10)));
    EXPECT_FALSE(feedback.YieldDue(start + milliseconds(15)));
}

// Created in this order, the controls get their focus order, and a label's focus key reaches its buddy.
TEST(DirectoryField, DialogControlsInFocusOrderWithEachLabelBeforeItsBuddy) {
    int nextTab = 0;
    for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
        const DialogControlDesign& control = kDialogControls[i];
        EXPECT_LE(control.bounds.left + control.bounds.width, kSelectDirClientWidth) << control.caption;
        EXPECT_LE(control.bounds.top + control.bounds.height, kSelectDirClientHeight) << control.caption;
        if (control.tab >= 0) {
            EXPECT_EQ(control.tab, nextTab++) << control.name;
        }
        if (control.kind == DialogControlKind::kLabel) {
            ASSERT_LT(i + 1, kDialogControls.size());
            EXPECT_EQ(kDialogControls[i + 1].name, control.buddy) << control.caption;
        }
    }
    EXPECT_EQ(nextTab, 8);
}

TEST(DirectoryField, BrowseStartsAtTheTextElseTheEarlierChoiceElseTheRoot) {
    const std::set<std::string> existing = {"c:\\data\\", "c:\\data", "c:\\old"};
    const auto isDirectory = [&existing](const std::string& path) { return existing.count(path) > 0; };
    const std::array<std::array<const char*, 3>, 6> cases = {{
        //  text            earlier choice  start
        {"c:\\data\\", "", "c:\\data\\"},
        {"c:\\data\\", "c:\\old", "c:\\data\\"},
        {"c:\\missing", "c:\\old", "\\"},
        {"", "c:\\old", "c:\\old"},
        {"", "c:\\gone", "\\"},
        {"", "", "\\"},
    }};
    for (const auto& [text, earlier, start] : cases)
        EXPECT_EQ(BrowseStartDirectory(text, earlier, "\\", isDirectory), start) << text << " " << earlier;
}

// A drive root opens the drive's current directory, as the bare drive names it.
TEST(DirectoryField, StartPatternOpensItsDirectory) {
    const std::array<std::array<const char*, 3>, 3> cases = {{
        //  start          pattern              full pattern opens
        {"c:\\data\\", "c:\\data\\*.*", "c:\\data"},
        {"c:\\data", "c:\\data\\*.*", "c:\\data"},
        {"c:\\", "c:\\*.*", "c:"},
    }};
    for (const auto& [start, pattern, opened] : cases) {
        EXPECT_EQ(StartPattern(start, '\\'), pattern);
        EXPECT_EQ(DirectoryOfPattern(pattern), opened);
    }
    EXPECT_EQ(StartPattern("\\", '\\'), "\\*.*");
    EXPECT_EQ(DirectoryOfPattern("\\\\server\\share\\*.*"), std::nullopt);
    EXPECT_EQ(DirectoryOfPattern("c:"), std::nullopt);
}

TEST(DirectoryField, DirListIndentsThePathAndTheSubdirectories) {
    using enum FolderImage;
    EXPECT_EQ(DirListEntries("C:\\data\\sub", '\\', {"a", "B"}),
              (std::vector<DirEntry>{{"C:\\", "C:\\", 2, kOpened},
                                     {"data", "C:\\data", 6, kOpened},
                                     {"sub", "C:\\data\\sub", 10, kCurrent},
                                     {"a", "C:\\data\\sub\\a", 14, kClosed},
                                     {"B", "C:\\data\\sub\\B", 14, kClosed}}));
    EXPECT_EQ(DirListEntries("C:\\", '\\', {"x"}),
              (std::vector<DirEntry>{{"C:\\", "C:\\", 2, kCurrent}, {"x", "C:\\x", 6, kClosed}}));
    EXPECT_EQ(DirListEntries("/home", '/', {}),
              (std::vector<DirEntry>{{"/", "/", 2, kOpened}, {"home", "/home", 6, kCurrent}}));
}

TEST(DirectoryField, DriveEntryTexts) {
    using enum DriveKind;
    const std::array<std::tuple<DriveKind, const char*, const char*, const char*>, 6> cases = {{
        //  kind      label     network path              entry
        {kRemovable, "floppy", "", "a:"},
        {kFixed, "system", "", "a: [system]"},
        {kFixed, "", "", "a: []"},
        {kCdRom, "disc", "", "a: [disc]"},
        {kNetwork, "share", R"(\\server\share)", R"(a: \\server\share)"},
        {kNetwork, "share", "", "a: [share]"},
    }};
    for (const auto& [kind, label, path, entry] : cases)
        EXPECT_EQ(DriveEntryText("a:", kind, label, path), entry);
}

// One pixel a character, so that the width names the form that fits.
TEST(DirectoryField, PathLineShortensStepByStep) {
    const auto width = [](std::string_view text) { return static_cast<int>(text.size()); };
    const std::string path = R"(c:\first\second\last)";
    const std::array<std::pair<int, const char*>, 6> cases = {{
        //  width  shown
        {20, R"(c:\first\second\last)"},
        {19, R"(c:\...\second\last)"},
        {17, R"(c:\...\last)"},
        {10, R"(...\last)"},
        {7, "last"},
        {1, "last"},
    }};
    for (const auto& [available, shown] : cases)
        EXPECT_EQ(ShortenedPath(path, '\\', available, width), shown) << available;
    EXPECT_EQ(ShortenedPath("c:\\", '\\', 1, width), "c:\\");
    EXPECT_EQ(ShortenedPath("/last", '/', 1, width), "last");
}

}  // namespace
}  // namespace tarnix::frontend
