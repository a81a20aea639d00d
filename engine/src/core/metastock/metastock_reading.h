#pragma once

// A security of the folder written out as a bar file in the ASCII layout, to compare with the bar files of
// the same quotes.

#include <string>
#include <vector>

#include "core/metastock/metastock_format.h"

namespace tarnix::metastock {

// The header line and a record for every bar: ticker, date, time, four prices with `decimals` decimals and,
// `withVolume`, the volume, each line ending in CR LF.
std::string BarsAsText(const Security& security, const std::vector<IntradayBar>& bars, int decimals,
                       bool withVolume);

}  // namespace tarnix::metastock
