#include "window_design.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tarnix::frontend {

const ControlDesign& ControlNamed(std::string_view name) {
    const auto found = std::find_if(kControls.begin(), kControls.end(),
                                    [name](const ControlDesign& control) { return control.name == name; });
    if (found == kControls.end()) throw std::out_of_range("no control named " + std::string(name));
    return *found;
}

std::string_view CaptionOf(const ControlDesign& control, bool russian) {
    return russian ? control.russian : control.english;
}

int Scaled(int designPixels, int pixelsPerInch) {
    const long long product = static_cast<long long>(designPixels) * pixelsPerInch;
    const long long half = kDesignPixelsPerInch / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / kDesignPixelsPerInch);
}

}  // namespace tarnix::frontend
