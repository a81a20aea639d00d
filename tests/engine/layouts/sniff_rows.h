#pragma once

// Rows of the layout decision's tests: a sample in, the layout the log would describe out.

#include <string>
#include <string_view>

#include "core/conversion_error.h"
#include "core/layouts/layout_sniffer.h"

namespace tarnix::test {

struct SniffRequest {
    DateOrder order = DateOrder::kAutomatic;
    char decimalMark = 0;
    CivilDate today{2026, 12, 9};
};

// The layout of a whole file as the log describes it, without "Layout: "; "design" for the design reading,
// "none" when no layout reads it, or "refused: " and the message.
inline std::string SniffedLayout(std::string_view file, const SniffRequest& request = {}) {
    try {
        const auto layout =
            DecideLayout(file, true, {"q.txt", request.order, request.decimalMark, request.today});
        if (!layout) return "design";
        return DescribeLayout(*layout, false).substr(std::string_view("Layout: ").size());
    } catch (const ConversionError& error) {
        return "refused: " + error.message();
    }
}

}  // namespace tarnix::test
