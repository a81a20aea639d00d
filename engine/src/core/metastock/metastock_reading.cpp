#include "core/metastock/metastock_reading.h"

#include <cmath>

#include "core/bars/quote_format.h"

namespace tarnix::metastock {
namespace {

void AppendSixDigits(std::string& text, std::int32_t value) {
    const std::string digits = std::to_string(value);
    if (digits.size() < 6) text.append(6 - digits.size(), '0');
    text.append(digits);
}

}  // namespace

std::string BarsAsText(const Security& security, const std::vector<IntradayBar>& bars, int decimals,
                       bool withVolume) {
    std::string text = withVolume ? "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n"
                                  : "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n";
    for (const IntradayBar& bar : bars) {
        text.append(security.symbol)
            .append(",")
            .append(std::to_string(DateNumberToYmd(bar.date)))
            .append(",");
        AppendSixDigits(text, bar.time);
        for (const float price : {bar.open, bar.high, bar.low, bar.close})
            text.append(",").append(FormatQuoteNumber(decimals, price).view());
        if (withVolume) text.append(",").append(std::to_string(std::llround(bar.volume)));
        text.append("\r\n");
    }
    return text;
}

}  // namespace tarnix::metastock
