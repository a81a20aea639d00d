#pragma once

// The main window as designed, for every toolkit that draws it: its controls with their places at 96 pixels
// per inch, their captions in both languages, and the window's own measures.

#include <array>
#include <string_view>

namespace tarnix::frontend {

// The title is part of the window's design, kept word for word; its "1.12" is not the program's version,
// which --version, the package and the installer take from project(VERSION ...).
inline constexpr std::string_view kWindowCaption = "Tarnix 1.12 - https://tarnix.example";
// Measures at 96 pixels per inch; a toolkit scales them to the screen's logical density.
inline constexpr int kDesignPixelsPerInch = 96;
inline constexpr int kClientWidth = 315;
inline constexpr int kClientHeight = 397;
inline constexpr int kDesignLeft = 521;
inline constexpr int kDesignTop = 213;
inline constexpr int kFontPixels = 11;

struct Bounds {
    int left;
    int top;
    int width;
    int height;

    bool operator==(const Bounds&) const = default;
};

enum class ControlKind {
    kLabel,
    kDirectoryField,
    kGroupBox,
    kCheckBox,
    kEdit,
    kListBox,
    kSeparator,
    kButton
};

struct ControlDesign {
    std::string_view name;
    ControlKind kind;
    // The control it sits in (its bounds are relative to that one), or empty for the window itself.
    std::string_view parent;
    Bounds bounds;
    // Captions for each language; the design shows the Russian ones.
    std::string_view russian;
    std::string_view english;
};

// Every control, in the order of keyboard focus among the window's own controls (the group box's six
// controls right after it). The labels and the separator, which take no focus, come first.
inline constexpr std::array<ControlDesign, 20> kControls = {{
    {"Label1", ControlKind::kLabel, "", {6, 8, 44, 13}, "Каталог:", "Directory:"},
    {"Bevel3", ControlKind::kSeparator, "", {4, 358, 307, 2}, "", ""},
    {"lbs", ControlKind::kLabel, "", {6, 372, 97, 13}, "Строка:", "Line:"},
    {"Dir", ControlKind::kDirectoryField, "", {4, 24, 307, 21}, "", ""},
    {"GroupBox1",
     ControlKind::kGroupBox,
     "",
     {4, 52, 307, 47},
     "Создавать файл с интервалом:",
     "Create file with an interval:"},
    {"m5", ControlKind::kCheckBox, "GroupBox1", {10, 20, 60, 17}, "5 min", "5 min"},
    {"m10", ControlKind::kCheckBox, "GroupBox1", {64, 20, 60, 17}, "10 min", "10 min"},
    {"m15", ControlKind::kCheckBox, "GroupBox1", {124, 20, 60, 17}, "15 min", "15 min"},
    {"m60", ControlKind::kCheckBox, "GroupBox1", {182, 20, 55, 17}, "60 min", "60 min"},
    {"mCust", ControlKind::kCheckBox, "GroupBox1", {242, 20, 17, 17}, "", ""},
    {"Cust", ControlKind::kEdit, "GroupBox1", {262, 18, 37, 21}, "", ""},
    {"ms7",
     ControlKind::kCheckBox,
     "",
     {6, 236, 203, 17},
     "Указывать период для MetaStock 7",
     "Add period for MetaStock 7"},
    {"PER",
     ControlKind::kCheckBox,
     "",
     {6, 256, 255, 17},
     "Добавлять поле <PER>=I для MetaStock 6.52",
     "Add field <PER>=I for MetaStock 6.52"},
    {"Period",
     ControlKind::kCheckBox,
     "",
     {6, 276, 207, 17},
     "Добавлять период к имени символа",
     "Add period to the symbol name"},
    {"Voluem", ControlKind::kCheckBox, "", {6, 296, 101, 17}, "Считать объем", "Calculate Volume"},
    {"chClose",
     ControlKind::kCheckBox,
     "",
     {6, 316, 189, 17},
     "Закрыть после обработки",
     "Exit after processing"},
    {"Rus", ControlKind::kCheckBox, "", {6, 336, 69, 17}, "Russian", "Russian"},
    {"Make", ControlKind::kButton, "", {148, 368, 75, 25}, "Обработать", "Process"},
    {"Exit", ControlKind::kButton, "", {236, 368, 75, 25}, "Закрыть", "Exit"},
    {"box", ControlKind::kListBox, "", {4, 106, 307, 123}, "", ""},
}};

// The line counter `lbs` is drawn 97 pixels wide; in a system font wider than the design's, a seven-digit
// line number would be cut off there, so both windows give it the room up to "Process".
inline constexpr int kLineCounterWidth = 138;

// The ten controls whose captions follow the language, in the order in which the Russian ones are kept.
inline constexpr std::array<std::string_view, 10> kCaptionedControls = {
    "GroupBox1", "Label1", "ms7", "PER", "Period", "Voluem", "chClose", "lbs", "Make", "Exit"};

// The design of the control of that name; throws std::out_of_range for a name the window lacks.
const ControlDesign& ControlNamed(std::string_view name);

// The caption of a control in the language asked for.
std::string_view CaptionOf(const ControlDesign& control, bool russian);

// A design measure on a screen of `pixelsPerInch`, rounded to the nearest pixel.
int Scaled(int designPixels, int pixelsPerInch);

}  // namespace tarnix::frontend
