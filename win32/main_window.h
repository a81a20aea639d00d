#pragma once

// The main window on Windows: the design's controls as native controls, the options and the report of a
// run, and the window's handlers under their design names.

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "directory_edit.h"
#include "run_feedback.h"
#include "tarnix/conversion.h"
#include "window_design.h"

namespace tarnix::win32 {

class TfMain final : public ConversionOptions, public ConversionReport {
  public:
    // Creates the window, hidden, with its design values and Russian captions, then runs FormCreate.
    explicit TfMain(HINSTANCE instance);
    TfMain(const TfMain&) = delete;
    TfMain& operator=(const TfMain&) = delete;

    HWND handle() const { return window_; }
    // The screen's logical pixels per inch, by which the design is scaled.
    int pixelsPerInch() const { return pixelsPerInch_; }
    // Hooks of the settings storage: at the first show, before the window is visible; at every close the
    // window is asked for; when the window is destroyed.
    std::function<void()> onShow;
    std::function<void()> onCloseQuery;
    std::function<void()> onDestroy;

    // Takes the user's decimal separator and remembers the Russian captions.
    void FormCreate();
    // Applies the captions of the language in force: Russian while Rus is ticked.
    void FormActivate();
    // Tidies Cust and Dir, converts the directory, then closes the window when chClose is ticked. Does
    // nothing while a run is going on.
    void MakeClick();
    void ExitClick();

    // Shows the window for the first time: the storage restores the settings first, and may ask for a start
    // state of its own instead of `showCommand`.
    void Show(int showCommand);
    int startShowCommand = 0;

    // The stored controls' values, by design name.
    std::string TextOf(std::string_view control) const;
    void SetText(std::string_view control, std::string_view text);
    bool Checked(std::string_view control) const;
    // Setting a check box to another value counts as a click on it.
    void SetChecked(std::string_view control, bool checked);

    std::string directory() const override;
    bool intervalEnabled(int slot) const override;
    std::string customIntervalText() const override;
    bool addPerField() const override { return Checked("PER"); }
    bool addMs7Period() const override { return Checked("ms7"); }
    bool addPeriodToSymbol() const override { return Checked("Period"); }
    bool withVolume() const override { return Checked("Voluem"); }
    bool russianLog() const override { return Checked("Rus"); }
    char decimalChar() const override { return decimalChar_; }
    int priceDecimals() const override { return priceDecimals_; }
    // The decimals of the prices written, as the settings file's "Decimals" key says.
    void SetPriceDecimals(int decimals) { priceDecimals_ = decimals; }

    void AddLogLine(std::string_view line) override;
    // Keeps the number; the counter shows it when the window next handles its events.
    void ShowLineCounter(std::int64_t lineNumber) override;
    // Shows the pending counter and handles every pending event, unless it did so a moment ago.
    void YieldToWindow() override;

  private:
    using Captions = std::array<std::string, frontend::kCaptionedControls.size()>;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnCommand(int id, int code);
    void OnClose();
    void ApplyCaptions(bool russian);
    void SetCaption(std::string_view control, std::string_view caption);
    void RunRefusingClicks();
    void ShowPendingCounter();
    // Runs a handler as the last resort for its failures: a message box, and the window goes on.
    void Guarded(void (TfMain::*handler)());

    HWND Control(std::string_view name) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    int pixelsPerInch_ = frontend::kDesignPixelsPerInch;
    std::array<HWND, frontend::kControls.size()> controls_{};
    // The directory field's behaviour on top of the edit `Dir`.
    std::unique_ptr<TDirectoryEdit> Dir;
    char decimalChar_ = '.';
    int priceDecimals_ = kDefaultPriceDecimals;
    Captions RussianCaptions;
    frontend::RunFeedback feedback_;
    bool activated_ = false;
    bool running_ = false;
    bool closeAsked_ = false;
};

}  // namespace tarnix::win32
