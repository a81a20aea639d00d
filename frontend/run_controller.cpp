#include "run_controller.h"

#include <algorithm>
#include <utility>

#include "field_tidy.h"

namespace tarnix::frontend {
namespace {

constexpr std::array<std::string_view, kSlotCount> kIntervalBoxes = {"m5", "m10", "m15", "m60", "mCust"};

}  // namespace

RunController::RunController(RunView& view, std::string programDirectory)
    : view_(view), programDirectory_(std::move(programDirectory)) {}

void RunController::FormCreate() {
    decimalChar_ = DetectDecimalChar();
    std::transform(kCaptionedControls.begin(), kCaptionedControls.end(), russianCaptions_.begin(),
                   [this](std::string_view control) { return view_.CaptionOf(control); });
}

void RunController::FormActivate() {
    const bool russian = view_.Checked("Rus");
    for (std::size_t i = 0; i < kCaptionedControls.size(); ++i) {
        const std::string_view control = kCaptionedControls[i];
        view_.SetCaption(control, russian ? russianCaptions_[i] : ControlNamed(control).english);
    }
}

bool RunController::Activated() {
    if (activated_) return false;
    activated_ = true;
    view_.FocusDirectory();
    FormActivate();
    return true;
}

void RunController::MakeClick() {
    if (running_) return;
    view_.SetText("Cust", TidyCustomInterval(view_.TextOf("Cust")));
    // The run appends entry names to the directory text as it stands.
    view_.SetText("Dir", ResolveDirectory(view_.TextOf("Dir"), programDirectory_));
    RunRefusingClicks();
    if (closeAsked_) {
        view_.CloseNow();
    } else if (view_.Checked("chClose")) {
        ExitClick();
    }
}

void RunController::ExitClick() {
    view_.AskToClose();
}

void RunController::Click(std::string_view control) {
    using Handler = void (RunController::*)();
    constexpr std::array<std::pair<std::string_view, Handler>, 3> kHandlers = {{
        {"Make", &RunController::MakeClick},
        {"Exit", &RunController::ExitClick},
        {"Rus", &RunController::FormActivate},
    }};
    const auto found = std::find_if(kHandlers.begin(), kHandlers.end(),
                                    [control](const auto& handler) { return handler.first == control; });
    if (found != kHandlers.end()) (this->*found->second)();
}

bool RunController::MayClose() {
    closeAsked_ = running_;
    return !running_;
}

bool RunController::intervalEnabled(int slot) const {
    return view_.Checked(kIntervalBoxes.at(static_cast<std::size_t>(slot - 1)));
}

void RunController::YieldToWindow() {
    if (!feedback_.YieldDue()) return;
    ShowPendingCounter();
    view_.PumpEvents();
}

// The run's directory listing and interval slots exist once, so a click that comes through a yield must not
// start a second run inside the first.
void RunController::RunRefusingClicks() {
    class Running {
      public:
        explicit Running(RunController& controller) : controller_(controller) {
            controller_.running_ = true;
            controller_.view_.EnableProcess(false);
        }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
        ~Running() {
            controller_.running_ = false;
            controller_.view_.EnableProcess(true);
            controller_.ShowPendingCounter();
        }

      private:
        RunController& controller_;
    } scope(*this);
    RunConversion(*this, *this);
}

void RunController::ShowPendingCounter() {
    if (const auto text = feedback_.TakeCounterText()) view_.SetText("lbs", *text);
}

}  // namespace tarnix::frontend
