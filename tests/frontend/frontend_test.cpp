// What both windows share: the stored keys and their value forms, the settings session and the run
// controller over a window and a settings file without a toolkit, the field tidy-up, the design's layout and
// the directory field with its folder dialog.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "directory_field.h"
#include "field_tidy.h"
#include "ini_text.h"
#include "run_controller.h"
#include "run_feedback.h"
#include "settings_keys.h"
#include "settings_session.h"
#include "test_support.h"
#include "window_design.h"

namespace tarnix::frontend {
namespace {

// A window without a toolkit: its controls as texts and ticks, and what the front end did to it, in order.
class FakeWindow final : public RunView, public SettingsView {
  public:
    std::map<std::string, std::string, std::less<>> texts = {{"Dir", "/"}, {"Cust", "240"}, {"lbs", ""}};
    std::map<std::string, bool, std::less<>> ticks;
    std::map<std::string, std::string, std::less<>> captions;
    std::vector<std::string> events;
    std::vector<std::string> log;
    WindowPlacement placement{0, 1, {-1, -1, -8, -8}, {521, 213, 840, 614}, 96, 800, 800};
    std::optional<StoredPlacement> placed;
    HandSetValues handSet{0, DateOrder::kAutomatic, 0, "unset"};
    // What the user does the first time a run hands the window its events.
    std::function<void()> duringRun;
    RunController* controller = nullptr;

    std::string CaptionOf(std::string_view control) const override { return captions.find(control)->second; }
    void SetCaption(std::string_view control, std::string_view caption) override {
        captions.insert_or_assign(std::string(control), std::string(caption));
    }
    void FocusDirectory() override { events.emplace_back("focus Dir"); }
    std::string TextOf(std::string_view control) const override { return texts.find(control)->second; }
    void SetText(std::string_view control, std::string_view text) override {
        texts.insert_or_assign(std::string(control), std::string(text));
    }
    bool Checked(std::string_view control) const override {
        const auto tick = ticks.find(control);
        return tick != ticks.end() && tick->second;
    }
    void SetChecked(std::string_view control, bool checked) override {
        if (Checked(control) != checked) events.push_back("click " + std::string(control));
        ticks.insert_or_assign(std::string(control), checked);
    }
    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void EnableProcess(bool enabled) override { events.emplace_back(enabled ? "Process on" : "Process off"); }
    void PumpEvents() override {
        if (const auto action = std::exchange(duringRun, {})) action();
    }
    // The close box's way: the window goes only when the controller lets it.
    void AskToClose() override { events.emplace_back(controller->MayClose() ? "closed" : "close waits"); }
    void CloseNow() override { events.emplace_back("closed"); }
    WindowPlacement Placement() const override { return placement; }
    void Place(const StoredPlacement& stored) override { placed = stored; }
    void SetHandSetValues(const HandSetValues& values) override { handSet = values; }
    void ShowFailure(const std::string& message) override { events.push_back("failure: " + message); }
};

using Keys = std::vector<std::pair<std::string, std::string>>;

// A settings section in memory, its keys in the order of their first writing; the write numbered `failAt`
// (from 1) and every later one fail.
class FakeStore final : public ProfileStore {
  public:
    FakeStore() = default;
    explicit FakeStore(Keys initial) : keys(std::move(initial)) {}

    Keys keys;
    int failAt = 0;
    int writes = 0;
    // A key whose reading or writing throws, as a file layer's failure would.
    std::string throwsAt;

    std::string Read(std::string_view key, std::string_view fallback) const override {
        ThrowAt(key);
        const auto found = Find(key);
        return found != keys.end() ? found->second : std::string(fallback);
    }
    bool Write(std::string_view key, std::string_view value) override {
        ThrowAt(key);
        if (failAt != 0 && ++writes >= failAt) return false;
        const auto found = Find(key);
        if (found != keys.end()) {
            keys[static_cast<std::size_t>(found - keys.begin())].second = value;
        } else {
            keys.emplace_back(key, value);
        }
        return true;
    }

  private:
    void ThrowAt(std::string_view key) const {
        if (key == throwsAt) throw std::runtime_error("the settings file went away");
    }
    Keys::const_iterator Find(std::string_view key) const {
        return std::find_if(keys.begin(), keys.end(),
                            [key](const auto& entry) { return entry.first == key; });
    }
};

// The file after the first save of a window that was neither moved nor changed.
const Keys kFirstSave = {
    {"FormVersion", "0"},
    {"Flags", "0"},
    {"ShowCmd", "1"},
    {"PixelsPerInch", "96"},
    {"MinMaxPos(800x800)", "-1,-1,-8,-8"},
    {"MinMaxPos", "-1,-1,-8,-8"},
    {"NormPos(800x800)", "521,213,840,614"},
    {"NormPos", "521,213,840,614"},
    {"Visible", "0"},
    {"Dir_Text", "/"},
    {"chClose_Checked", "False"},
    {"m10_Checked", "False"},
    {"m15_Checked", "False"},
    {"m5_Checked", "False"},
    {"m60_Checked", "False"},
    {"ms7_Checked", "False"},
    {"Cust_Text", "240"},
    {"mCust_Checked", "False"},
    {"Period_Checked", "False"},
    {"Voluem_Checked", "False"},
    {"PER_Checked", "False"},
    {"Rus_Checked", "False"},
};

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
    const std::pair<const char*, DateOrder> orders[] = {
        {"DMY", DateOrder::kDayMonthYear}, {" MDY ", DateOrder::kMonthDayYear},
        {"YMD", DateOrder::kYearMonthDay}, {"", DateOrder::kAutomatic},
        {"dmy", DateOrder::kAutomatic},    {"D/M/Y", DateOrder::kAutomatic}};
    for (const auto& [text, order] : orders) EXPECT_EQ(DateOrderOf(text), order) << text;
    const std::pair<const char*, char> marks[] = {{".", '.'}, {" , ", ','}, {"", 0}, {";", 0}, {"..", 0}};
    for (const auto& [text, mark] : marks) EXPECT_EQ(DecimalMarkOf(text), mark) << text;
}

TEST(SettingsSession, FirstStartRestoresNothingAndSavesEveryKeyInOrder) {
    FakeWindow window;
    FakeStore store;
    SettingsSession session(window, store);
    session.Save();
    EXPECT_TRUE(store.keys.empty()) << "a window never restored saves nothing";
    session.Restore();
    EXPECT_EQ(window.handSet.priceDecimals, 4);
    ASSERT_TRUE(window.placed);
    EXPECT_FALSE(window.placed->minMax || window.placed->normal);
    EXPECT_TRUE(window.events.empty());
    session.Save();
    EXPECT_EQ(store.keys, kFirstSave);
    session.SaveAtEnd();
    EXPECT_EQ(store.keys, kFirstSave) << "a completed save stands at the window's end";
}

// Each row restores from a file holding the first save changed by `lines`.
TEST(SettingsSession, RestoreTakesWhatTheFileAndTheScreenAllow) {
    struct Row {
        const char* name;
        Keys lines;
        std::optional<Positions> normal;
        WindowState state;
        std::vector<std::string> clicks;
        int decimals;
    };
    const std::optional<Positions> stored = Positions{521, 213, 840, 614};
    const Row rows[] = {
        {"as saved", {}, stored, WindowState::kNormal, {}, 4},
        {"minimised", {{"ShowCmd", "2"}}, stored, WindowState::kMinimised, {}, 4},
        {"minimised by 7", {{"ShowCmd", "7"}}, stored, WindowState::kMinimised, {}, 4},
        {"maximised", {{"ShowCmd", "3"}}, stored, WindowState::kMaximised, {}, 4},
        {"other density", {{"PixelsPerInch", "120"}}, std::nullopt, WindowState::kNormal, {}, 4},
        {"other screen size: plain keys",
         {{"NormPos(800x800)", ""}, {"NormPos", "100,50"}},
         Positions{100, 50, 320, 403},
         WindowState::kNormal,
         {},
         4},
        {"values",
         {{"Rus_Checked", " TRUE"},
          {"m5_Checked", "1"},
          {"Cust_Text", " 30 "},
          {"Decimals", "6"},
          {"DateOrder", "DMY"},
          {"DecimalMark", ","}},
         stored,
         WindowState::kNormal,
         {"click Rus"},
         6},
        {"FormVersion -1 keeps only the decimals",
         {{"FormVersion", "-1"}, {"Rus_Checked", "True"}, {"Decimals", "9"}},
         std::nullopt,
         WindowState::kNormal,
         {},
         4},
    };
    for (const Row& row : rows) {
        FakeWindow window;
        window.placement.normal = {1, 2, 320, 403};
        FakeStore store{kFirstSave};
        for (const auto& [key, value] : row.lines) store.Write(key, value);
        SettingsSession(window, store).Restore();
        EXPECT_EQ(window.placed ? window.placed->normal : std::nullopt, row.normal) << row.name;
        EXPECT_EQ(window.placed ? window.placed->state : WindowState::kNormal, row.state) << row.name;
        EXPECT_EQ(window.events, row.clicks) << row.name;
        EXPECT_EQ(window.handSet.priceDecimals, row.decimals) << row.name;
        const bool readsHandSet = row.decimals == 6;
        EXPECT_EQ(window.handSet.dateOrder, readsHandSet ? DateOrder::kDayMonthYear : DateOrder::kAutomatic)
            << row.name;
        EXPECT_EQ(window.handSet.decimalMark, readsHandSet ? ',' : 0) << row.name;
    }
}

TEST(SettingsSession, MetaStockFolderIsReadTrimmedAndNeverWritten) {
    const std::pair<const char*, const char*> rows[] = {
        {nullptr, ""}, {" /data/ms \t", "/data/ms"}, {"", ""}};
    for (const auto& [text, folder] : rows) {
        FakeWindow window;
        FakeStore store{kFirstSave};
        if (text != nullptr) store.Write("MetaStockFolder", text);
        SettingsSession session(window, store);
        session.Restore();
        session.Save();
        EXPECT_EQ(window.handSet.metaStockFolder, folder);
        EXPECT_EQ(std::count_if(store.keys.begin(), store.keys.end(),
                                [](const auto& key) { return key.first == "MetaStockFolder"; }),
                  text != nullptr ? 1 : 0);
    }
}

TEST(SettingsSession, AnotherScreenSizeAddsItsKeysAtTheEnd) {
    FakeWindow window;
    FakeStore store{kFirstSave};
    SettingsSession session(window, store);
    session.Restore();
    window.placement.screenWidth = 1024;
    window.placement.screenHeight = 768;
    window.placement.normal = {100, 50, 419, 451};  // cppcheck-suppress unreadVariable ; read by the save
    session.Save();
    ASSERT_EQ(store.keys.size(), kFirstSave.size() + 2);
    EXPECT_EQ(store.keys[22], (std::pair<std::string, std::string>{"MinMaxPos(1024x768)", "-1,-1,-8,-8"}));
    EXPECT_EQ(store.keys[23], (std::pair<std::string, std::string>{"NormPos(1024x768)", "100,50,419,451"}));
    EXPECT_EQ(store.Read("NormPos", ""), "100,50,419,451");
    EXPECT_EQ(store.Read("NormPos(800x800)", ""), "521,213,840,614");
}

TEST(SettingsSession, AFailedWriteIsSaidOnceASaveAndTriedAgainAtTheEnd) {
    FakeWindow window;
    FakeStore store;
    store.failAt = 3;
    SettingsSession session(window, store);
    session.Restore();
    session.Save();
    EXPECT_EQ(store.writes, 3) << "the writes after the failed one are not tried";
    session.SaveAtEnd();
    EXPECT_EQ(window.events, std::vector<std::string>(2, "failure: Unable to write to Tarnix.ini."));
    store.failAt = 0;
    session.SaveAtEnd();
    EXPECT_EQ(store.Read("Visible", ""), "1");
    EXPECT_EQ(store.keys.size(), kFirstSave.size());
}

// A failure of the file must not end the program: the window keeps its defaults and the file is not
// overwritten with them, or the save says what a write that fails says.
TEST(SettingsSession, AFailureOfTheFileIsSaidAndTheWindowGoesOn) {
    struct Row {
        const char* throwsAt;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {"Decimals", {"failure: the settings file went away"}},
        {"Voluem_Checked", {"click m5", "click m5", "failure: the settings file went away"}},
        {"PixelsPerInch", {"failure: the settings file went away"}},
    };
    for (const Row& row : rows) {
        FakeWindow window;
        FakeStore store{kFirstSave};
        store.Write("Rus_Checked", "True");
        store.Write("m5_Checked", "True");
        store.Write("Cust_Text", "30");
        store.Write("Decimals", "6");
        store.throwsAt = row.throwsAt;
        SettingsSession session(window, store);
        session.Restore();
        EXPECT_EQ(window.events, row.events) << row.throwsAt;
        EXPECT_EQ(window.texts["Cust"], "240") << row.throwsAt;
        EXPECT_FALSE(window.Checked("Rus") || window.Checked("m5")) << row.throwsAt;
        EXPECT_EQ(window.handSet.priceDecimals, kDefaultPriceDecimals) << row.throwsAt;
        store.throwsAt.clear();
        session.SaveAtEnd();
        EXPECT_EQ(store.Read("m5_Checked", ""), "True")
            << row.throwsAt << ": the defaults are not saved over the file";
    }
    FakeWindow window;
    FakeStore store;
    SettingsSession session(window, store);
    session.Restore();
    store.throwsAt = "Visible";
    session.Save();
    EXPECT_EQ(window.events, std::vector<std::string>{"failure: Unable to write to Tarnix.ini."});
    store.throwsAt.clear();
    session.SaveAtEnd();
    EXPECT_EQ(store.Read("Visible", ""), "1") << "the save at the end tries again";
}

TEST(SettingsSession, AFirstStartReadsTheFormerFileUntilTheOwnExists) {
    const auto exists = [](const std::set<std::string>& files) {
        return [files](const std::string& path) { return files.count(path) != 0; };
    };
    const std::string own = R"(C:\Users\u\AppData\Roaming\Tarnix.ini)";
    const std::string former = R"(C:\Windows\Tarnix.ini)";
    EXPECT_EQ(SettingsReadPath(own, former, exists({former})), former);
    EXPECT_EQ(SettingsReadPath(own, former, exists({own, former})), own);
    EXPECT_EQ(SettingsReadPath(own, former, exists({})), own);
}

TEST(IniText, ReadsAKeysValue) {
    const std::string a3000(3000, 'a');
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        //  text                                             value of Main's A
        {"", std::nullopt},
        {"[Main]\nA=1\n", "1"},
        {"[Main]\r\nA=1\r\n", "1"},
        {"[Main]\nA=1", "1"},
        {"[mAIN]\na=1\n", "1"},
        {"A=0\n\n[ Main ]\n;A=2\n\n  A =  x y \n", "x y"},
        {"[Main]\nB=1\n[Main]\nA=2\n", std::nullopt},
        {"[Main]\nA= \"x \" \n", "x "},
        {"[Main]\nA='x'\n", "x"},
        {"[Main]\nA=\"\"x\"\"\n", "\"x\""},
        {"[Main]\nA=" + a3000, std::string(2047, 'a')},
        {"[Main]\nA=" + a3000.substr(0, 2046) + "жж", std::string(2046, 'a')},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(IniValue(text, "Main", "A"), value) << text;
}

TEST(IniText, SetsAKeyAndKeepsEveryOtherLine) {
    struct Row {
        const char* name;
        std::string before;
        const char* key;
        std::string value;
        std::optional<std::string> after;
    };
    const std::string long3000(3000, 'a');
    const Row rows[] = {
        {"empty text", "", "A", "1", "[Main]\nA=1\n"},
        {"existing key keeps its line", "; x\n[Main]\nA=1\nz=9\n", "A", "2", "; x\n[Main]\nA=2\nz=9\n"},
        {"CR LF: new key at the end of its section, above blank lines",
         "[Main]\r\nA=1\r\n;c\r\n\r\n[O]\r\nB=2\r\n", "C", "3",
         "[Main]\r\nA=1\r\n;c\r\nC=3\r\n\r\n[O]\r\nB=2\r\n"},
        {"key in another case keeps its spelling", "[main]\r\n rus_checked = TRUE \r\n", "Rus_Checked",
         "False", "[main]\r\nrus_checked=False\r\n"},
        {"duplicate section: the first one", "[Main]\nA=1\n[O]\n[Main]\nB=2\n", "B", "3",
         "[Main]\nA=1\nB=3\n[O]\n[Main]\nB=2\n"},
        {"no last newline, new key", "[Main]\nA=1", "B", "2", "[Main]\nA=1\nB=2\n"},
        {"no last newline, existing key", "[Main]\nA=1", "A", "2", "[Main]\nA=2"},
        {"new section at the end", "[O]\r\nB=2", "A", "1", "[O]\r\nB=2\r\n[Main]\r\nA=1\r\n"},
        {"3000 characters written whole", "[Main]\n", "A", long3000, "[Main]\nA=" + long3000 + "\n"},
        {"line break refused", "[Main]\nA=1\n", "A", "x\nB=2", std::nullopt},
        {"carriage return in a key refused", "[Main]\nA=1\n", "A\r", "1", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WithIniValue(row.before, "Main", row.key, row.value), row.after) << row.name;
}

// A run in a directory of two quotes, a bar apart: the window's events come at the first bar record.
struct ControllerRun {
    test::TempDir dir;
    FakeWindow window;
    RunController controller{window, dir.PathOf("")};

    ControllerRun() {
        dir.Write("SBER.txt",
                  "SBER,1,20240102,100000,1,2,0.5,1.5,10\nSBER,1,20240102,100500,1,2,0.5,1.1234567,10\n");
        window.controller = &controller;
        window.texts["Dir"] = "";
        window.ticks["m5"] = true;
    }
};

TEST(RunController, ProcessAndTheCloseBoxAroundARun) {
    struct Row {
        const char* name;
        bool exitAfterProcessing;
        // During the run: the close box, or a second click on "Process".
        bool closeBox;
        bool processClick;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {"a run", false, false, false, {"Process off", "Process on"}},
        {"exit after processing", true, false, false, {"Process off", "Process on", "closed"}},
        {"close box during the run",
         false,
         true,
         false,
         {"Process off", "close waits", "Process on", "closed"}},
        {"close box and exit after processing",
         true,
         true,
         false,
         {"Process off", "close waits", "Process on", "closed"}},
        {"Process during the run is refused", false, false, true, {"Process off", "Process on"}},
    };
    for (const Row& row : rows) {
        ControllerRun run;
        run.window.ticks["chClose"] = row.exitAfterProcessing;
        run.window.duringRun = [&run, &row] {
            EXPECT_TRUE(run.controller.running()) << row.name;
            if (row.closeBox) run.window.AskToClose();
            if (row.processClick) run.controller.MakeClick();
        };
        run.controller.MakeClick();
        EXPECT_FALSE(run.controller.running()) << row.name;
        EXPECT_EQ(run.window.events, row.events) << row.name;
        EXPECT_EQ(std::count(run.window.log.begin(), run.window.log.end(), "Ok"), 1) << row.name;
        EXPECT_EQ(run.window.texts["lbs"], "Строка: 2") << row.name;
        EXPECT_TRUE(run.dir.Exists("SBER-m5.txt")) << row.name;
    }
}

TEST(RunController, MetaStockFolderTakesTheBars) {
    ControllerRun run;
    run.controller.SetHandSetValues({kDefaultPriceDecimals, DateOrder::kAutomatic, 0, run.dir.PathOf("ms")});
    run.controller.MakeClick();
    EXPECT_FALSE(run.dir.Exists("SBER-m5.txt"));
    EXPECT_TRUE(run.dir.Exists("ms/F1.DAT") && run.dir.Exists("ms/MASTER") && run.dir.Exists("ms/EMASTER"));
    EXPECT_NE(std::find(run.window.log.begin(), run.window.log.end(), "MetaStock: F1.DAT SBER 5 min, 2 bars"),
              run.window.log.end());
}

TEST(RunController, TidiesTheFieldsAndReadsTheOptionsFromTheControls) {
    ControllerRun run;
    run.window.texts["Cust"] = " 015";
    run.window.ticks = {{"mCust", true}, {"Voluem", true}, {"Rus", true}};
    run.controller.SetHandSetValues({6, DateOrder::kAutomatic, 0, ""});
    run.controller.MakeClick();
    EXPECT_EQ(run.window.texts["Cust"], "15");
    EXPECT_EQ(run.window.texts["Dir"], run.dir.path()) << "an empty field is the program's directory";
    EXPECT_FALSE(run.controller.intervalEnabled(1));
    EXPECT_TRUE(run.controller.intervalEnabled(5));
    EXPECT_TRUE(run.controller.withVolume() && run.controller.russianLog());
    EXPECT_FALSE(run.controller.addPerField() || run.controller.addMs7Period() ||
                 run.controller.addPeriodToSymbol());
    EXPECT_EQ(run.dir.Read("SBER-m15.txt"),
              "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n"
              "SBER,20240102,100000,1.,2.,0.5,1.5,10\r\nSBER,20240102,101500,1.,2.,0.5,1.123457,10\r\n")
        << "six decimals, fifteen-minute bars with volume";
}

TEST(RunController, AClickGoesToTheControlsHandler) {
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"Make", {"Process off", "Process on"}}, {"Exit", {"closed"}}, {"Rus", {}}, {"m5", {}}, {"Dir", {}},
    };
    for (const auto& [control, events] : rows) {
        ControllerRun run;
        for (const std::string_view captioned : kCaptionedControls)
            run.window.captions.emplace(captioned, "");
        run.controller.Click(control);
        EXPECT_EQ(run.window.events, events) << control;
        EXPECT_EQ(run.window.captions["Make"], std::string(control) == "Rus" ? "Process" : "") << control;
    }
}

TEST(RunController, CaptionsFollowRusFromTheFirstActivationOn) {
    FakeWindow window;
    for (const std::string_view control : kCaptionedControls) {
        window.captions.emplace(control, ControlNamed(control).russian);
    }
    RunController controller(window, "/");
    controller.FormCreate();
    EXPECT_TRUE(controller.Activated());
    EXPECT_EQ(window.events, std::vector<std::string>{"focus Dir"});
    EXPECT_EQ(window.captions["Make"], "Process");
    window.captions["lbs"] = "Line: 7";
    EXPECT_FALSE(controller.Activated()) << "coming back keeps what a run left in the counter";
    EXPECT_EQ(window.captions["lbs"], "Line: 7");
    window.ticks["Rus"] = true;
    controller.FormActivate();
    EXPECT_EQ(window.captions["Make"], "Обработать");
    EXPECT_EQ(window.captions["lbs"], "Строка:");
}

TEST(FieldTidy, CustomIntervalAsTheRunReadsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {" 015", "15"}, {"$F0", "240"}, {"$FFFFFFFF", "-1"}, {"-5", "-5"},   {"0", "0"},
        {"abc", "240"}, {"", "240"},    {"15 ", "240"},      {"-$F", "240"}, {"99999999999", "240"},
        {"x10", "16"},  {"0x10", "16"}, {"１５", "240"},
    };
    for (const auto& [text, tidy] : cases) EXPECT_EQ(TidyCustomInterval(text), tidy) << text;
}

// The run appends entry names to the directory as it stands, so a separator ends it.
TEST(FieldTidy, DirectoryAsTheRunReadsIt) {
    const std::string separator(1, kPathSeparator);
    const std::pair<const char*, std::string> cases[] = {
        {"", "tarnix" + separator},
        {"data", "data" + separator},
        {"data/", "data/"},
        {" ", " " + separator},
    };
    for (const auto& [text, tidy] : cases) EXPECT_EQ(ResolveDirectory(text, "tarnix"), tidy) << text;
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

TEST(DirectoryField, FolderMemoryKeepsTheLastExistingChoice) {
    std::set<std::string> existing = {"c:\\data", "c:\\old"};
    FolderMemory memory("\\", [&existing](const std::string& path) { return existing.count(path) > 0; });
    const std::array<std::array<const char*, 3>, 5> steps = {{
        //  chosen        remembered     start with an empty field
        {"c:\\old", "c:\\old", "c:\\old"},
        {"c:\\missing", "c:\\old", "c:\\old"},
        {"", "c:\\old", "c:\\old"},
        {"c:\\data", "c:\\data", "c:\\data"},
        {nullptr, "c:\\data", "\\"},
    }};
    for (const auto& [chosen, remembered, start] : steps) {
        if (chosen != nullptr) {
            memory.Chose(chosen);
        } else {
            existing.erase("c:\\data");
        }
        EXPECT_EQ(memory.InitialDir(), remembered) << (chosen != nullptr ? chosen : "removed");
        EXPECT_EQ(memory.StartFor(""), start) << (chosen != nullptr ? chosen : "removed");
    }
    EXPECT_EQ(memory.StartFor("c:\\old"), "c:\\old");
}

TEST(DirectoryField, DriveOfTheOpenDirectoryIsTheInnermostHoldingIt) {
    const std::vector<std::string> drives = {"a:", "c:", "D:"};
    const std::vector<std::string> mounts = {"/", "/media/usb", "/media/usb2", "/home"};
    const std::array<std::tuple<const std::vector<std::string>*, char, const char*, int>, 10> cases = {{
        //  roots    separator  directory            drive (-1: none)
        {&drives, '\\', "C:\\data", 1},
        {&drives, '\\', "c:\\", 1},
        {&drives, '\\', "d:", 2},
        {&drives, '\\', "e:\\data", -1},
        {&drives, '\\', R"(\\server\share)", -1},
        {&mounts, '/', "/", 0},
        {&mounts, '/', "/media/usb/quotes", 1},
        {&mounts, '/', "/media/usb2", 2},
        {&mounts, '/', "/media/usb3", 0},
        {&mounts, '/', "/homework", 0},
    }};
    for (const auto& [roots, separator, directory, drive] : cases) {
        const auto found = DriveOfDirectory(*roots, directory, separator);
        EXPECT_EQ(found ? static_cast<int>(*found) : -1, drive) << directory;
    }
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
