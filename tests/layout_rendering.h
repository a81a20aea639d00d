#pragma once

// Random quotes written twice, as design lines and in the layout of a real export, and both converted in
// memory: the layout reading must give the bar files of the design reading. Every layout written here reads
// one way only under the layout sniffer's rules, whatever the date of today.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory_store.h"
#include "run.h"

namespace tarnix::test {

// Draws choices from fuzzed bytes while they last, then from a generator.
class Chooser {
  public:
    explicit Chooser(std::uint32_t seed) : engine_(seed) {}
    explicit Chooser(std::span<const std::uint8_t> bytes) : bytes_(bytes), engine_(bytes.size()) {}

    // A number from 0 to n - 1.
    std::int64_t Below(std::int64_t n) {
        if (bytes_.empty()) return static_cast<std::int64_t>(engine_() % static_cast<std::uint64_t>(n));
        const std::uint8_t byte = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return byte % n;
    }
    bool OneIn(std::int64_t n) { return Below(n) == 0; }
    template <typename T>
    T Pick(std::initializer_list<T> items) {
        return items.begin()[Below(static_cast<std::int64_t>(items.size()))];
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::mt19937_64 engine_;
};

struct RenderedQuotes {
    std::string fileName;
    std::string design;  // with the design's header
    std::string layout;  // the same quotes in another layout
};

namespace rendering {

struct Quote {
    std::size_t ticker = 0;
    std::int64_t day = 0;                  // since 1970-01-01
    std::int64_t millisecond = 0;          // of the day
    std::array<std::int64_t, 4> prices{};  // open, high, low, close in units of the last decimal
    std::int64_t volume = 0;
};

// Columns: K ticker, P period, D date, T time, O H L C prices, V volume, X tick volume, J ignored; a
// lower-case letter in a family is a column that a file may leave out. Dates and times are patterns of
// Format().
struct Layout {
    std::string columns;
    std::vector<std::string> names;  // empty without a header
    std::string date, zone, time;
    bool timeInDate = false;
    char separator = ',', mark = '.';
    bool quoted = false, zeroVolume = false;
    std::string pad, group, lineEnd;    // pad follows every separator; group marks thousands
    int decimals = 0, volumeStyle = 0;  // volumes: integer, decimal to round, K/M/B

    bool Has(char column) const { return columns.find(column) != std::string::npos; }
    // The tick volume stands in for a volume column that is missing or 0 throughout.
    bool TickVolume() const { return Has('X') && (zeroVolume || !Has('V')); }
    bool Daily() const { return !timeInDate && !Has('T'); }
    bool Seconds() const {
        return (date + (Has('T') ? time : "")).find("ss") != std::string::npos || date.starts_with("unix");
    }
};

struct Family {
    std::string_view columns;
    std::vector<std::string> names;
};

// Finam, Finam's ticks, MetaTrader, Yahoo, Dukascopy, a bid export, Investing (its columns after the date in
// any order), a Russian export, a one-price file and a file without a header.
inline const std::array<Family, 10> kFamilies = {{
    {"kpdtOHLCv", {"<TICKER>", "<PER>", "<DATE>", "<TIME>", "<OPEN>", "<HIGH>", "<LOW>", "<CLOSE>", "<VOL>"}},
    {"kpdtCv", {"<TICKER>", "<PER>", "<DATE>", "<TIME>", "<LAST>", "<VOL>"}},
    {"DtOHLCXvJ",
     {"<DATE>", "<TIME>", "<OPEN>", "<HIGH>", "<LOW>", "<CLOSE>", "<TICKVOL>", "<VOL>", "<SPREAD>"}},
    {"DOHLCJV", {"Date", "Open", "High", "Low", "Close", "Adj Close", "Volume"}},
    {"DOHLCV", {"Gmt time", "Open", "High", "Low", "Close", "Volume"}},
    {"DOHLCv", {"Time (UTC)", "BidOpen", "BidHigh", "BidLow", "BidClose", "Volume"}},
    {"DCOHLVJ", {"Date", "Price", "Open", "High", "Low", "Vol.", "Change %"}},
    {"DtOHLCv", {"Дата", "Время", "Откр", "Макс", "Мин", "Закр", "Объем"}},
    {"DtCv", {"Date", "Time", "Price", "Volume"}},
    {"kpdtOHLCv", {}},
}};

inline void ChooseColumns(Chooser& chooser, const Family& family, Layout& layout) {
    for (std::size_t i = 0; i < family.columns.size(); ++i) {
        const char code = family.columns[i];
        const bool keep = code == 'k'   ? chooser.OneIn(2)
                          : code == 'p' ? layout.Has('K') && chooser.OneIn(2)
                          : code == 't' ? !layout.timeInDate && !chooser.OneIn(4)
                                        : code != 'v' || !chooser.OneIn(4);
        if (!keep) continue;
        layout.columns += static_cast<char>(code & ~0x20);
        if (!family.names.empty()) layout.names.push_back(family.names[i]);
    }
    for (std::size_t i = layout.columns.size() - 1; family.columns == "DCOHLVJ" && i > 1; --i) {
        const auto j = static_cast<std::size_t>(1 + chooser.Below(static_cast<std::int64_t>(i)));
        std::swap(layout.columns[i], layout.columns[j]);
        std::swap(layout.names[i], layout.names[j]);
    }
}

// Two-digit years are written only from 70 to 98 (MakeQuotes), where no other reading is a real date.
inline void ChooseDateAndTime(Chooser& chooser, Layout& layout) {
    const std::string d = chooser.OneIn(3) ? "D" : "DD", m = d == "D" ? "M" : "MM";
    const std::string y = chooser.Pick<std::string>({"YY", "YYYY"}), s(1, chooser.Pick({'/', '.', '-'}));
    const std::string separated = chooser.Pick({d + s + m + s + y, m + s + d + s + y, y + s + m + s + d});
    const std::string named = "Mon " + d + ", YYYY", longNamed = "Month " + d + " YYYY";
    const auto kind = static_cast<std::size_t>(chooser.Below(13));
    layout.date = std::array<std::string, 13>{
        "YYYYMMDD", "YYMMDD",  "DDMMYY",       "DD-Mon-YY",      "D-MON-YYYY", separated, separated,
        named,      longNamed, "YYYYMMDDhhmm", "YYYYMMDDhhmmss", "unix",       "unixms"}[kind];
    layout.timeInDate = kind >= 9;
    const auto fraction = chooser.Pick<std::string>({"", "", ".fff", ",fff"});
    layout.time = chooser.Pick<std::string>(
        {"hhmmss" + fraction, "hhmm", "hh:mm:ss" + fraction, "hh:mm", "h:mm", "i:mm AP", "i:mm:ssap"});
    if (kind >= 7 || !chooser.OneIn(3)) return;
    layout.date += chooser.Pick({' ', 'T'}) + layout.time;
    layout.zone = chooser.Pick<std::string>({"", "Z", " UTC", "GMT+0200", "-05:00"});
    layout.timeInDate = true;
}

// A decimal mark with three digits after it, as in 1,234, does not tell itself. Without decimals or with
// three, a comma as decimal mark shows only where it is not the separator, and a grouping mark that is
// not a blank would be taken for the decimal mark.
inline void ChooseNumbers(Chooser& chooser, Layout& layout) {
    layout.decimals = static_cast<int>(chooser.Below(6));
    // A file of lines of 10 characters or fewer takes the design reading; without a header, a daily file's
    // open must not read as a time.
    if (!layout.Has('O') && layout.decimals < 2) layout.decimals += 2;
    if (layout.names.empty() && layout.Daily() && layout.Has('V') && layout.decimals == 0)
        layout.decimals = 1;
    const bool telling = layout.decimals != 0 && layout.decimals != 3;
    layout.mark = chooser.OneIn(2) || (!telling && layout.separator == ',') ? '.' : ',';
    const std::string other = telling ? std::string(1, layout.mark == '.' ? ',' : '.') : "";
    layout.group = chooser.Pick<std::string>({"", " ", "\xC2\xA0", "\xE2\x80\x89", other});
    layout.volumeStyle = static_cast<int>(chooser.Below(3));
    layout.zeroVolume = chooser.OneIn(2);
}

inline Layout ChooseLayout(Chooser& chooser) {
    Layout layout;
    ChooseDateAndTime(chooser, layout);
    ChooseColumns(chooser, kFamilies[static_cast<std::size_t>(chooser.Below(kFamilies.size()))], layout);
    layout.separator = chooser.Pick({'\t', ';', '|', ','});
    layout.quoted = chooser.OneIn(4);
    layout.pad = chooser.OneIn(4) ? " " : "";
    ChooseNumbers(chooser, layout);
    // Commas within fields, and the design's own layout (a ticker, then YYYYMMDD between commas), are quoted.
    const bool commas = layout.mark == ',' || layout.group == "," ||
                        (layout.date + layout.time).find(',') != std::string::npos;
    const bool designLike = layout.Has('K') && layout.date == "YYYYMMDD" && layout.pad.empty();
    if (layout.separator == ',' && (commas || designLike)) layout.quoted = true;
    layout.lineEnd = chooser.Pick<std::string>({"\n", "\r\n", "\r"});
    return layout;
}

inline std::string WithCase(std::string text, char caseBit) {
    for (char& c : text) c = static_cast<char>((c & ~0x20) | caseBit);
    return text;
}

inline std::string Padded(std::int64_t value, std::size_t width) {
    const std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

// The date and time of a quote by a pattern: YYYY YY MM M DD D Mon MON Month hh h mm ss fff, i for hours 1
// to 12 and AP or ap after them, or unix and unixms for Unix time; anything else stands for itself. The
// calendar is the standard library's.
inline std::string Format(std::string_view pattern, const Quote& quote) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{quote.day}}};
    const auto year = static_cast<std::int64_t>(static_cast<int>(date.year()));
    const auto month = static_cast<std::int64_t>(static_cast<unsigned>(date.month()));
    const auto day = static_cast<std::int64_t>(static_cast<unsigned>(date.day()));
    static constexpr std::array<std::string_view, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    static constexpr std::array<std::string_view, 14> kTokens = {
        "unixms", "unix", "YYYY", "YY", "MM", "M", "DD", "D", "hh", "h", "i", "mm", "ss", "fff"};
    static constexpr std::array<std::size_t, 14> kWidths = {1, 1, 4, 2, 2, 1, 2, 1, 2, 1, 1, 2, 2, 3};
    const std::int64_t ms = quote.millisecond, unixMs = quote.day * 86'400'000 + ms, hour = ms / 3'600'000;
    const std::array<std::int64_t, 14> values = {unixMs,
                                                 unixMs / 1000,
                                                 year,
                                                 year % 100,
                                                 month,
                                                 month,
                                                 day,
                                                 day,
                                                 hour,
                                                 hour,
                                                 (hour + 11) % 12 + 1,
                                                 ms / 60'000 % 60,
                                                 ms / 1000 % 60,
                                                 ms % 1000};
    std::string text;
    for (std::size_t at = 0; at < pattern.size();) {
        const std::string_view rest = pattern.substr(at), name = kMonths[static_cast<std::size_t>(month - 1)];
        const auto token =
            std::find_if(kTokens.begin(), kTokens.end(), [&](auto t) { return rest.starts_with(t); });
        const auto i = static_cast<std::size_t>(token - kTokens.begin());
        const bool full = rest.starts_with("Month");
        if (rest.starts_with("Mon") || rest.starts_with("MON")) {
            const std::string shortName(name.substr(0, 3));
            text += full ? std::string(name) : rest[1] == 'O' ? WithCase(shortName, 0) : shortName;
            at += full ? 5 : 3;
        } else if (rest.starts_with("AP") || rest.starts_with("ap")) {
            text += WithCase(hour < 12 ? "AM" : "PM", static_cast<char>(rest[0] & 0x20));
            at += 2;
        } else {
            text += token == kTokens.end() ? std::string(1, rest[0]) : Padded(values[i], kWidths[i]);
            at += token == kTokens.end() ? 1 : token->size();
        }
    }
    return text;
}

// `units` of the last of `decimals` decimals, with `mark` and `group`.
inline std::string Number(std::int64_t units, int decimals, char mark, std::string_view group) {
    const auto places = static_cast<std::size_t>(decimals);
    const std::string digits = Padded(units, places + 1);
    std::string whole = digits.substr(0, digits.size() - places);
    for (std::size_t end = whole.size(); !group.empty() && end > 3; end -= 3) whole.insert(end - 3, group);
    return places == 0 ? whole : whole + mark + digits.substr(digits.size() - places);
}

inline std::string VolumeText(const Layout& layout, Chooser& chooser, std::int64_t volume) {
    if (layout.volumeStyle == 1) {  // halves round away from zero
        const std::int64_t hundredths = chooser.Below(100);
        return Number((hundredths < 50 ? volume : volume - 1) * 100 + hundredths, 2, layout.mark,
                      layout.group);
    }
    if (layout.volumeStyle == 0 || volume < 1000) return Number(volume, 0, layout.mark, layout.group);
    const int scale = volume >= 1'000'000'000 ? 3 : volume >= 1'000'000 ? 2 : 1;
    std::string text = Number(volume, 3 * scale, layout.mark, layout.group);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == layout.mark) text.pop_back();
    return text + "KMB"[scale - 1];
}

inline std::int64_t Pow10(std::int64_t exponent) {
    return exponent == 0 ? 1 : 10 * Pow10(exponent - 1);
}

// One ticker's quotes in ascending time over 35 days or more, each 15th among them (a day above 12 tells
// DD/MM from MM/DD), with prices below 10000: a longer integer part could read as a date.
inline std::vector<Quote> TickerQuotes(Chooser& chooser, const Layout& layout, std::size_t ticker,
                                       std::int64_t firstDay) {
    const std::int64_t magnitude = Pow10(chooser.Below(4) + layout.decimals);
    const std::int64_t base = magnitude + chooser.Below(4 * magnitude), spread = 1 + base / 50;
    const std::int64_t volumes = Pow10(1 + chooser.Below(10)), lastDay = firstDay + 35 + chooser.Below(30);
    std::vector<Quote> quotes;
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
        const bool fifteenth = Format("D", {0, day}) == "15";
        if (day != firstDay && day != lastDay && !fifteenth && !chooser.OneIn(3)) continue;
        std::vector<std::int64_t> times(layout.Daily() ? 1 : static_cast<std::size_t>(1 + chooser.Below(4)));
        for (std::int64_t& time : times) {
            time = layout.Daily() ? 0 : chooser.Below(86'400'000);
            if (!layout.Seconds()) time -= time % 60'000;
        }
        std::sort(times.begin(), times.end());
        for (const std::int64_t time : times) {
            const std::int64_t open = base + chooser.Below(spread), close = base + chooser.Below(spread);
            const std::int64_t high = std::max(open, close) + chooser.Below(spread);
            const std::int64_t low = std::max<std::int64_t>(1, std::min(open, close) - chooser.Below(spread));
            quotes.push_back({ticker, day, time, {open, high, low, close}, 1 + chooser.Below(volumes)});
        }
    }
    return quotes;
}

// The quotes of one or two tickers in the order of time.
inline std::vector<Quote> MakeQuotes(Chooser& chooser, const Layout& layout, std::size_t tickers) {
    const bool twoDigitYears =
        layout.date.find("YY") != std::string::npos && layout.date.find("YYYY") == std::string::npos;
    // 10 and 13 digits of Unix time start in 2001. Quotes end before today: a reading that dates them after
    // tomorrow is not taken.
    const std::int64_t year = layout.date.starts_with("unix") ? 2002 + chooser.Below(18)
                              : !twoDigitYears                ? 1900 + chooser.Below(120)
                                                              : 1970 + chooser.Below(29);
    using namespace std::chrono;
    const year_month_day first{std::chrono::year(static_cast<int>(year)),
                               month(static_cast<unsigned>(1 + chooser.Below(12))),
                               std::chrono::day(static_cast<unsigned>(1 + chooser.Below(28)))};
    std::array<std::vector<Quote>, 2> series;
    for (std::size_t t = 0; t < tickers; ++t)
        series[t] = TickerQuotes(chooser, layout, t, sys_days(first).time_since_epoch().count());
    std::vector<Quote> merged = series[0];
    merged.insert(merged.end(), series[1].begin(), series[1].end());
    std::stable_sort(merged.begin(), merged.end(), [](const Quote& a, const Quote& b) {
        return std::pair(a.day, a.millisecond) < std::pair(b.day, b.millisecond);
    });
    return merged;
}

inline std::string FieldText(const Layout& layout, Chooser& chooser, const Quote& quote,
                             const std::string& ticker, char column) {
    const auto price = [&](std::size_t i) {
        return Number(quote.prices[i], layout.decimals, layout.mark, layout.group);
    };
    if (column == 'K') return chooser.OneIn(3) ? WithCase(ticker, 0x20) : ticker;
    if (column == 'P') return chooser.Pick<std::string>({"1", "D", "60", "M5"});
    if (column == 'D') return Format(layout.date, quote) + layout.zone;
    if (column == 'T') return Format(layout.time, quote);
    if (column == 'V') return layout.TickVolume() ? "0" : VolumeText(layout, chooser, quote.volume);
    if (column == 'X') return layout.TickVolume() ? VolumeText(layout, chooser, quote.volume) : "7";
    if (column == 'J') return price(3) + "%";  // never a time, even right after the date
    return price(std::string_view("OHLC").find(column));
}

inline std::string Line(const Layout& layout, const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) line += layout.separator + layout.pad;
        line += layout.quoted ? '"' + field + '"' : field;
    }
    return line + layout.lineEnd;
}

// The quote as the design writes it; a one-price file gives all four prices its one.
inline std::string DesignLine(const Layout& layout, const Quote& quote, const std::string& ticker) {
    std::string line = ticker + ",1," + Format("YYYYMMDD,hhmmss", quote);
    for (std::size_t i = 0; i < 4; ++i)
        line += "," + Number(quote.prices[layout.Has('O') ? i : 3], layout.decimals, '.', "");
    return line + "," + std::to_string(layout.Has('V') || layout.Has('X') ? quote.volume : 0) + "\n";
}

// Cyrillic letters (А to я) as Windows-1251 writes them.
inline std::string Windows1251(std::string_view utf8) {
    std::string text;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const bool cyrillic = lead == 0xD0 || lead == 0xD1;
        text += cyrillic ? static_cast<char>(((lead & 1) << 6 | (utf8[++i] & 0x3F)) + 0xB0) : utf8[i];
    }
    return text;
}

inline std::string Letters(Chooser& chooser, std::size_t count) {
    std::string text;
    while (text.size() < count) text += static_cast<char>('A' + chooser.Below(26));
    return text;
}

// The layout file's lines of one quote: perhaps a blank line after it, or a day without trades (its prices
// and volumes left empty), which are passed over.
inline std::string LayoutLines(const Layout& layout, Chooser& chooser, const Quote& quote,
                               const std::string& ticker) {
    std::vector<std::string> fields;
    for (const char column : layout.columns)
        fields.push_back(FieldText(layout, chooser, quote, ticker, column));
    std::string lines = Line(layout, fields) + (chooser.OneIn(24) ? layout.lineEnd : "");
    if (!chooser.OneIn(24)) return lines;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (std::string_view("OHLCVXJ").find(layout.columns[i]) != std::string_view::npos) fields[i].clear();
    }
    return lines + Line(layout, fields);
}

struct LogLines final : ConversionReport {
    std::vector<std::string> lines;
    void AddLogLine(std::string_view line) override { lines.emplace_back(line); }
    void ShowLineCounter(std::int64_t) override {}
    void YieldToWindow() override {}
};

// The bar files of a run over one quote file, with every interval and the volume.
inline std::map<std::string, std::string> Convert(const std::string& name, const std::string& text,
                                                  const std::string& customInterval, LogLines& log) {
    MemoryStore store("/quotes/");
    store.AddFile(name, text);
    ConversionSettings settings;
    settings.directory = store.directory();
    settings.intervalEnabled.fill(true);
    settings.customIntervalText = customInterval;
    settings.withVolume = true;
    RunConversion(store, FixedOptions(settings), log);
    std::map<std::string, std::string> barFiles = store.Files();
    barFiles.erase(name);
    return barFiles;
}

}  // namespace rendering

// One or two tickers' quotes in the design layout and in a random other one.
inline RenderedQuotes RenderQuotes(Chooser& chooser) {
    using namespace rendering;
    const Layout layout = ChooseLayout(chooser);
    const std::string stem = Letters(chooser, 4);
    const std::string ticker = layout.Has('K') ? Letters(chooser, 3) : stem;  // else the file's name tells it
    const std::array<std::string, 2> tickers = {ticker, ticker + Letters(chooser, 1)};
    RenderedQuotes out{WithCase(stem, 0x20) + ".txt",
                       "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n",
                       chooser.OneIn(4) ? "\xEF\xBB\xBF" : ""};
    if (chooser.OneIn(5)) out.layout += "Exported quotes" + layout.lineEnd;  // a title before the header
    if (!layout.names.empty())
        out.layout += chooser.OneIn(2) ? Windows1251(Line(layout, layout.names)) : Line(layout, layout.names);
    for (const Quote& quote : MakeQuotes(chooser, layout, layout.Has('K') && chooser.OneIn(2) ? 2 : 1)) {
        out.design += DesignLine(layout, quote, tickers[quote.ticker]);
        out.layout += LayoutLines(layout, chooser, quote, tickers[quote.ticker]);
    }
    if (chooser.OneIn(8)) out.layout += std::string(1, '\x1A') + "after the end";
    return out;
}

// What differs between the conversions of both renderings, or nothing: the design file converts, the other
// tells its layout and converts, and their bar files are the same.
inline std::string ReadingDifference(const RenderedQuotes& quotes, const std::string& customInterval) {
    rendering::LogLines designLog, layoutLog;
    const auto design = rendering::Convert(quotes.fileName, quotes.design, customInterval, designLog);
    const auto layout = rendering::Convert(quotes.fileName, quotes.layout, customInterval, layoutLog);
    const std::string processing = "Processing: " + quotes.fileName;
    if (designLog.lines != std::vector<std::string>{processing, "Ok"})
        return "design log: " + designLog.lines.back();
    const std::vector<std::string>& log = layoutLog.lines;
    if (log.size() != 3 || log[0] != processing || !log[1].starts_with("Layout: ") || log[2] != "Ok")
        return "layout log: " + log.back() + (log.size() == 3 ? " after " + log[1] : "");
    for (const auto& [name, bars] : design) {
        std::string other = layout.contains(name) ? layout.at(name) : "(none)\n";
        if (other == bars) continue;
        other.insert(0, name + " of the layout reading (" + log[1] + "):\n");
        return other.append("design reading:\n").append(bars);
    }
    return design.size() == layout.size() ? "" : "bar files of other names";
}

}  // namespace tarnix::test
