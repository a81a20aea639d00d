// Writes deterministic random-walk quote files for the benchmarks: a header, CR LF line ends, several
// tickers and dates a file, prices and volumes. The shapes:
//   ticks          many quotes a minute, prices with one to four decimals
//   minutes        one quote a minute, prices with one to four decimals
//   padded-minutes one quote a minute, prices padded with zeros to seven decimals ("485.5600000"), as
//                  several data services write them: reading and number parsing dominate a conversion
//   five-minutes   one quote every five minutes, prices with two decimals: nearly two bars come out of
//                  every line at 5, 10, 15 and 60 minutes, so writing records dominates
//   layout-minutes the padded-minutes quotes in another layout: ";" between the fields, DD.MM.YYYY and
//                  HH:MM:SS, for the layout reader

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

namespace {

struct Shape {
    int secondsApart;  // 0: one to six seconds at random
    int decimals;      // 0: the ticker's own
    int paddedDecimals;
    bool otherLayout = false;  // ";", DD.MM.YYYY and HH:MM:SS instead of ",", YYYYMMDD and HHMMSS
};

Shape ShapeNamed(std::string_view name) {
    if (name == "ticks") return {0, 0, 0};
    if (name == "padded-minutes") return {60, 0, 7};
    if (name == "layout-minutes") return {60, 0, 7, true};
    if (name == "five-minutes") return {300, 2, 0};
    return {60, 0, 0};
}

struct TickerStyle {
    std::string name;
    int decimals;
    std::int64_t priceTicks;  // the price in units of its last decimal
};

class QuoteWriter {
  public:
    QuoteWriter(std::FILE* out, std::uint64_t seed, Shape shape) : out_(out), random_(seed), shape_(shape) {}

    // Writes whole trading days until at least `bytes` are written.
    void Write(std::uint64_t bytes) {
        Put(shape_.otherLayout ? "<TICKER>;<PER>;<DATE>;<TIME>;<OPEN>;<HIGH>;<LOW>;<CLOSE>;<VOL>\r\n"
                               : "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n");
        TickerStyle tickers[] = {
            {"SBER", 2, 25050}, {"GAZP", 2, 16025}, {"VTBR", 4, 245}, {"LKOH", 1, 70125}};
        if (shape_.decimals != 0) {
            for (TickerStyle& ticker : tickers) RescalePrice(ticker, shape_.decimals);
        }
        for (int day = 0; written_ < bytes; ++day) {
            for (TickerStyle& ticker : tickers) {
                if (written_ >= bytes) break;
                WriteDay(ticker, DateOf(day));
            }
        }
    }

  private:
    static void RescalePrice(TickerStyle& ticker, int decimals) {
        for (; ticker.decimals < decimals; ++ticker.decimals) ticker.priceTicks *= 10;
        for (; ticker.decimals > decimals; --ticker.decimals) ticker.priceTicks /= 10;
    }

    std::string DateOf(int day) const {
        const int month = 1 + (day / 28) % 12;
        const int year = 2020 + day / (28 * 12);
        char text[16];
        if (shape_.otherLayout) {
            std::snprintf(text, sizeof text, "%02d.%02d.%04d", 1 + day % 28, month, year);
        } else {
            std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, 1 + day % 28);
        }
        return text;
    }

    void WriteDay(TickerStyle& ticker, const std::string& date) {
        for (int second = 10 * 3600; second < 18 * 3600 + 45 * 60;) {
            WriteQuote(ticker, date, second);
            second += shape_.secondsApart != 0 ? shape_.secondsApart : static_cast<int>(1 + random_() % 6);
        }
    }

    void WriteQuote(TickerStyle& ticker, const std::string& date, int second) {
        const std::int64_t open = ticker.priceTicks;
        const std::int64_t close =
            std::max<std::int64_t>(1, open + static_cast<std::int64_t>(random_() % 7) - 3);
        const std::int64_t high = std::max(open, close) + static_cast<std::int64_t>(random_() % 3);
        const std::int64_t low =
            std::max<std::int64_t>(1, std::min(open, close) - static_cast<std::int64_t>(random_() % 3));
        ticker.priceTicks = close;
        char time[12];
        std::snprintf(time, sizeof time, shape_.otherLayout ? "%02d:%02d:%02d" : "%02d%02d%02d",
                      second / 3600, second / 60 % 60, second % 60);
        const std::string_view separator = shape_.otherLayout ? ";" : ",";
        Put(ticker.name);
        Put(separator);
        Put(shape_.secondsApart == 0 ? "0" : shape_.secondsApart == 60 ? "1" : "5");
        Put(separator);
        Put(date);
        Put(separator);
        Put(time);
        for (const std::int64_t price : {open, high, low, close}) {
            Put(separator);
            PutPrice(price, ticker.decimals);
        }
        Put(separator);
        PutInteger(static_cast<std::int64_t>(1 + random_() % 5000));
        Put("\r\n");
    }

    void PutPrice(std::int64_t ticks, int decimals) {
        std::int64_t scale = 1;
        for (int i = 0; i < decimals; ++i) scale *= 10;
        PutInteger(ticks / scale);
        Put(".");
        const std::string fraction = std::to_string(scale + ticks % scale);
        Put(std::string_view(fraction).substr(1));
        for (int i = decimals; i < shape_.paddedDecimals; ++i) Put("0");
    }

    void PutInteger(std::int64_t value) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        Put(std::string_view(text, static_cast<std::size_t>(end - text)));
    }

    void Put(std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), out_);
        written_ += text.size();
    }

    std::FILE* out_;
    std::mt19937_64 random_;
    Shape shape_;
    std::uint64_t written_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(
            stderr,
            "usage: %s OUTPUT MEGABYTES SEED ticks|minutes|padded-minutes|layout-minutes|five-minutes\n",
            argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const std::uint64_t bytes = std::strtoull(argv[2], nullptr, 10) * 1000 * 1000;
    QuoteWriter(out, std::strtoull(argv[3], nullptr, 10), ShapeNamed(argv[4])).Write(bytes);
    return std::fclose(out) == 0 ? 0 : 1;
}
