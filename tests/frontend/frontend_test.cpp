// The tables that both windows share: the stored keys and their value forms, the field tidy-up and the
// design's layout.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace tarnix::frontend
