#pragma once

// What a window does around a run, in either toolkit: "Process", "Exit", the close box and "Exit after
// processing", the tidy-up of the fields, the options the run reads from the controls, and the log and line
// counter it reports to.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "run_feedback.h"
#include "settings_keys.h"
#include "tarnix/conversion.h"
#include "window_design.h"

namespace tarnix::frontend {

// A window's controls under their design names; texts are UTF-8.
class ControlView {
  public:
    // The text of an edit or a label.
    virtual std::string TextOf(std::string_view control) const = 0;
    virtual void SetText(std::string_view control, std::string_view text) = 0;
    virtual bool Checked(std::string_view control) const = 0;
    // Setting a check box to another value counts as a click on it.
    virtual void SetChecked(std::string_view control, bool checked) = 0;

  protected:
    ControlView() = default;
    ControlView(const ControlView&) = default;
    ControlView& operator=(const ControlView&) = default;
    ~ControlView() = default;
};

// The main window as a run and its handlers see it.
class RunView : public ControlView {
  public:
    virtual std::string CaptionOf(std::string_view control) const = 0;
    // The system's font may be wider than the designed one, so a control grows to show its whole caption; it
    // never shrinks, so that switching languages does not move anything.
    virtual void SetCaption(std::string_view control, std::string_view caption) = 0;
    // Puts the focus in the directory field, its whole text selected.
    virtual void FocusDirectory() = 0;
    // Appends the line to the log and selects it.
    virtual void AddLogLine(std::string_view line) = 0;
    // Greys "Process" out during a run, and gives it back afterwards.
    virtual void EnableProcess(bool enabled) = 0;
    // Handles every event that waits for the window.
    virtual void PumpEvents() = 0;
    // Asks the window to close, as its close box does.
    virtual void AskToClose() = 0;
    // Closes the window without asking again: the close box was pressed during the run that just ended.
    virtual void CloseNow() = 0;

  protected:
    RunView() = default;
    RunView(const RunView&) = default;
    RunView& operator=(const RunView&) = default;
    ~RunView() = default;
};

// The main window's handlers, and the run's options read live from the window's controls and its report
// shown there. One thread: the window's events are handled inside the run, at most every kYieldInterval, so
// a click can come in while a run goes on.
class RunController final : public ConversionOptions, public ConversionReport {
  public:
    // `programDirectory` is where a run converts when the directory field is empty.
    RunController(RunView& view, std::string programDirectory);

    // Takes the user's decimal separator and remembers the Russian captions the window was built with.
    void FormCreate();
    // Applies the captions of the language in force: Russian while Rus is ticked.
    void FormActivate();
    // The window's activation. Only the first one focuses the directory field and applies the captions
    // (and tells so): coming back from another program must not wipe the line counter that a run left.
    bool Activated();
    // Tidies Cust and Dir, converts the directory, then closes the window when a close was asked for during
    // the run or "Exit after processing" is ticked. Does nothing while a run is going on.
    void MakeClick();
    void ExitClick();
    // The window's click on `control`: "Process", "Exit", or "Rus", whose tick switches the captions (also
    // when a restore sets it). A click on any other control needs no handler.
    void Click(std::string_view control);
    // The close box: whether the window may go now. A close asked for during a run waits for its end, as the
    // run reads the controls to the end.
    bool MayClose();

    // True from the start of a run in MakeClick until it returns.
    bool running() const { return running_; }
    // The decimals of the prices written and the reading of other layouts, as the settings file says.
    void SetHandSetValues(const HandSetValues& values) { handSet_ = values; }

    std::string directory() const override { return view_.TextOf("Dir"); }
    bool intervalEnabled(int slot) const override;
    std::string customIntervalText() const override { return view_.TextOf("Cust"); }
    bool addPerField() const override { return view_.Checked("PER"); }
    bool addMs7Period() const override { return view_.Checked("ms7"); }
    bool addPeriodToSymbol() const override { return view_.Checked("Period"); }
    bool withVolume() const override { return view_.Checked("Voluem"); }
    bool russianLog() const override { return view_.Checked("Rus"); }
    char decimalChar() const override { return decimalChar_; }
    int priceDecimals() const override { return handSet_.priceDecimals; }
    DateOrder dateOrder() const override { return handSet_.dateOrder; }
    char decimalMark() const override { return handSet_.decimalMark; }
    std::string metaStockFolder() const override { return handSet_.metaStockFolder; }

    void AddLogLine(std::string_view line) override { view_.AddLogLine(line); }
    // Keeps the number; the counter shows it when the window next handles its events.
    void ShowLineCounter(std::int64_t lineNumber) override { feedback_.SetLineNumber(lineNumber); }
    // Shows the pending counter and handles every pending event, unless it did so a moment ago.
    void YieldToWindow() override;

  private:
    void RunRefusingClicks();
    void ShowPendingCounter();

    RunView& view_;
    std::string programDirectory_;
    char decimalChar_ = '.';
    HandSetValues handSet_;
    std::array<std::string, kCaptionedControls.size()> russianCaptions_;
    RunFeedback feedback_;
    bool activated_ = false;
    bool running_ = false;
    bool closeAsked_ = false;
};

}  // namespace tarnix::frontend
