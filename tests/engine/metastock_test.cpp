#include "tarnix/metastock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/metastock/metastock_format.h"
#include "test_support.h"

namespace tarnix {
namespace {

namespace ms = metastock;

std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

std::string Hex(const ms::Mbf& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : bytes) hex.append({kDigits[byte >> 4], kDigits[byte & 15]});
    return hex;
}

// A free site's intraday folder as published: MASTER and F1.DAT of one 5-minute security, two bars.
const std::string kSiteMaster = FromHex(
    "01000100000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00"
    "0165001c07000048265220202020202020202020202020000058130a9590130a954905003248522e4445202020202020202020"
    "2000");
const std::string kSiteData = FromHex(
    "0000030000000000000000000000000000000000000000000000000058130a9500c23091295c098466660a84295c098466660a84"
    "0020568b58130a9500b63291bc740984bc740984a4700984a470098400001489");

TEST(MetaStockNumbers, ConvertBothWays) {
    struct Row {
        float value;
        std::string_view mbf;
    };
    for (const Row& row : {
             Row{1131115.0F, "58130a95"},  // 2013-11-15 as a date number
             Row{90500.0F, "00c23091"},    // 09:05:00
             Row{8.585F, "295c0984"},
             Row{1713.0F, "0020568b"},
             Row{1.0F, "00000081"},
             Row{-1.0F, "00008081"},
             Row{0.5F, "00000080"},
             Row{0.0F, "00000000"},
             Row{1240115.0F, "98611795"},  // 2024-01-15
             Row{16777216.0F, "00000099"},
         }) {
        SCOPED_TRACE(row.value);
        ASSERT_TRUE(ms::ToMbf(row.value).has_value());
        EXPECT_EQ(Hex(*ms::ToMbf(row.value)), row.mbf);
        const std::string bytes = FromHex(row.mbf);
        EXPECT_EQ(ms::FromMbf(reinterpret_cast<const std::uint8_t*>(bytes.data())), row.value);
    }
}

TEST(MetaStockNumbers, EdgesOfTheRange) {
    // A volume past 2^24 keeps the nearest single; MBF's exponent reaches two steps less far than IEEE's.
    EXPECT_EQ(Hex(*ms::ToMbf(static_cast<float>(std::int64_t{16777217}))), "00000099");
    EXPECT_FALSE(ms::ToMbf(3.0e38F).has_value());
    EXPECT_THROW(ms::EncodeIntradayFile({{1240115, 100000, 1, 3.0e38F, 1, 1, 0}}), std::runtime_error);
    EXPECT_EQ(Hex(*ms::ToMbf(1.0e-45F)), "00000000");
    const std::string zeroExponent = FromHex("ffffff00");
    EXPECT_EQ(ms::FromMbf(reinterpret_cast<const std::uint8_t*>(zeroExponent.data())), 0.0F);
}

TEST(MetaStockNumbers, DateNumbers) {
    struct Row {
        int year, month, day;
        std::int32_t number;
    };
    for (const Row& row : {Row{2024, 1, 15, 1240115}, Row{1997, 9, 23, 970923}, Row{1999, 12, 31, 991231},
                           Row{2000, 1, 1, 1000101}, Row{1900, 1, 1, 101}}) {
        EXPECT_EQ(ms::DateNumber(row.year, row.month, row.day), row.number);
        EXPECT_EQ(ms::DateNumberToYmd(row.number), row.year * 10000 + row.month * 100 + row.day);
    }
}

const ms::Security kSiteSecurity{1, "2HR.DE", "H&R", 'I', 5, 7, 20131115, 20131122};
const std::vector<ms::IntradayBar> kSiteBars = {{1131115, 90500, 8.585F, 8.65F, 8.585F, 8.65F, 1713},
                                                {1131115, 91500, 8.591F, 8.591F, 8.59F, 8.59F, 296}};

TEST(MetaStockFiles, WrittenAsThePublishedFolder) {
    EXPECT_EQ(ms::MasterRecord(kSiteSecurity), kSiteMaster.substr(ms::kMasterRecordSize));
    EXPECT_EQ(ms::PutMasterRecord("", ms::MasterRecord(kSiteSecurity), ms::kMasterRecordSize), kSiteMaster);
    EXPECT_EQ(ms::EncodeIntradayFile(kSiteBars), kSiteData);
}

TEST(MetaStockFiles, ReadAsThePublishedFolder) {
    EXPECT_EQ(ms::ReadMaster(kSiteMaster), std::vector<ms::Security>{kSiteSecurity});
    const std::vector<ms::IntradayBar> bars = ms::ReadDataFile(kSiteData, kSiteSecurity);
    ASSERT_EQ(bars.size(), kSiteBars.size());
    for (std::size_t i = 0; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i].time, kSiteBars[i].time);
        EXPECT_EQ(bars[i].open, kSiteBars[i].open);
        EXPECT_EQ(bars[i].volume, kSiteBars[i].volume);
    }
}

TEST(MetaStockFiles, EmasterRecordOfKnownFields) {
    const std::string record = ms::EmasterRecord(kSiteSecurity);
    ASSERT_EQ(record.size(), ms::kEmasterRecordSize);
    EXPECT_EQ(record.substr(0, 11), FromHex("36360100000007bf002000"));
    EXPECT_EQ(record.substr(11, 14), std::string("2HR.DE") + std::string(8, '\0'));
    EXPECT_EQ(record[60], 'I');
    EXPECT_EQ(record.substr(62, 2), FromHex("0500"));
    EXPECT_EQ(record.substr(64, 4), FromHex("58138a49"));   // 1131115.0 as an IEEE single
    EXPECT_EQ(record.substr(126, 4), FromHex("2b2d3301"));  // 20131115
}

TEST(MetaStockFiles, CutShortFilesAreRefused) {
    EXPECT_THROW(ms::ReadMaster(kSiteMaster.substr(0, 60)), std::runtime_error);
    EXPECT_THROW(ms::ReadDataFile(kSiteData.substr(0, 50), kSiteSecurity), std::runtime_error);
    EXPECT_THROW(ms::ReadXmaster(std::string(150, '\0')), std::runtime_error);
}

// Quotes of one ticker, minute by minute from 10:00 to 19:59 on every day from January `firstDay`, 2024.
std::string Quotes(std::string_view ticker, int minutes, int volume = 100, int firstDay = 1) {
    std::string text = "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n";
    for (int i = 0; i < minutes; ++i) {
        const int day = firstDay + i / 600;
        const int hour = 10 + i % 600 / 60;
        const int minute = i % 60;
        const std::string price = std::to_string(250 + i % 7) + "." + std::to_string(10 + i % 83);
        text.append(ticker).append(",1,").append(std::to_string(20240100 + day)).append(",");
        text.append(std::to_string(hour * 10000 + minute * 100));
        for (int field = 0; field < 4; ++field) text.append(",").append(price);
        text.append(",").append(std::to_string(volume + i)).append("\r\n");
    }
    return text;
}

class MetaStockRun : public ::testing::Test {
  protected:
    void SetUp() override { options.directory = dir.path(); }

    std::string Folder() const { return dir.PathOf("ms"); }
    std::string FolderFile(const std::string& name) const { return dir.Read("ms/" + name); }

    void Run(bool toFolder) {
        report.log.clear();
        ConversionSettings settings = options;
        if (toFolder) settings.metaStockFolder = Folder();
        RunConversion(FixedOptions(settings), report);
    }

    // The folder's files and their bytes.
    std::map<std::string, std::string> FolderFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(test::Utf8Path(Folder())))
            files[entry.path().filename().string()] = FolderFile(entry.path().filename().string());
        return files;
    }

    test::TempDir dir;
    ConversionSettings options;
    test::RecordingReport report;
};

TEST_F(MetaStockRun, ReadBackGivesTheBarFiles) {
    struct Row {
        std::array<bool, kSlotCount> slots;
        std::string custom;
        bool withVolume;
        int decimals;
        int volume;  // of the first quote; the sums of a bar stay within 2^24, where volumes are exact
    };
    for (const Row& row : {Row{{true, false, false, false, false}, "240", true, 4, 3355000},
                           Row{{false, true, true, true, false}, "240", false, 2, 100},
                           Row{{false, true, true, true, false}, "240", true, 3, 279000},
                           Row{{false, false, false, false, true}, "1", true, 8, 16776900},
                           Row{{false, false, false, false, true}, "7", true, 1, 0}}) {
        std::filesystem::remove_all(test::Utf8Path(dir.path()));
        std::filesystem::create_directory(test::Utf8Path(dir.path()));
        dir.Write("SBER.txt", Quotes("SBER", 300, row.volume));
        options.intervalEnabled = row.slots;
        options.customIntervalText = row.custom;
        options.withVolume = row.withVolume;
        options.priceDecimals = row.decimals;
        Run(false);
        Run(true);
        const std::vector<MetaStockSecurity> securities = ListMetaStockFolder(Folder());
        EXPECT_EQ(securities.size(),
                  static_cast<std::size_t>(std::count(row.slots.begin(), row.slots.end(), true)));
        for (const MetaStockSecurity& security : securities) {
            SCOPED_TRACE(security.interval);
            const std::string barFile = "SBER-m" + std::to_string(security.interval) + ".txt";
            EXPECT_EQ(ReadMetaStockBars(Folder(), security, row.decimals, row.withVolume), dir.Read(barFile));
        }
    }
}

TEST_F(MetaStockRun, LogNamesEverySecurity) {
    dir.Write("SBER.txt", Quotes("SBER", 1200));
    options.intervalEnabled = {true, false, false, true, false};
    Run(true);
    EXPECT_EQ(report.LogText(),
              "Processing: SBER.txt\nMetaStock: F1.DAT SBER 5 min, 242 bars\nMetaStock: F2.DAT SBER 60 min, "
              "22 bars\nOk\n");
    options.russianLog = true;
    dir.Write("SBER.txt", Quotes("SBER", 1234));
    options.intervalEnabled = {false, false, false, false, true};
    options.customIntervalText = "1";
    Run(true);
    EXPECT_EQ(report.log.at(1), "MetaStock: F3.DAT SBER 1 мин, баров: 1 234");
    options.russianLog = false;
    dir.Write("SBER.txt",
              Quotes("GAZP", 20) + Quotes("SBER", 10, 0, 2).substr(64) + Quotes("GAZP", 5, 0, 3).substr(64));
    Run(true);
    EXPECT_EQ(report.LogText(),
              "Processing: SBER.txt\nMetaStock: F4.DAT GAZP 1 min, 25 bars\nMetaStock: F3.DAT SBER 1 min, "
              "10 bars\nOk\n");
}

// The rules a checker of the format applies to index files.
void ExpectIndexRules(const std::map<std::string, std::string>& files) {
    const std::string& master = files.at("MASTER");
    const std::vector<ms::Security> securities = ms::ReadMaster(master);
    EXPECT_EQ(master.size(), (securities.size() + 1) * ms::kMasterRecordSize);
    int highest = 0;
    for (const ms::Security& security : securities) {
        SCOPED_TRACE(security.symbol);
        highest = std::max(highest, security.fileNumber);
        const std::string record =
            master.substr(static_cast<std::size_t>(&security - securities.data() + 1) * ms::kMasterRecordSize,
                          ms::kMasterRecordSize);
        EXPECT_EQ(record.substr(1, 2), "\x65" + std::string(1, '\0'));
        EXPECT_EQ(record.substr(5, 2), std::string(2, '\0'));
        EXPECT_EQ(record.substr(23, 2), std::string(2, '\0'));
        EXPECT_EQ(record.substr(50, 3), std::string("  ") + '\0');
        EXPECT_EQ(static_cast<int>(record[3]), security.fields * 4);
        const std::string& data = files.at(ms::DataFileName(security.fileNumber));
        const std::vector<ms::IntradayBar> bars = ms::ReadDataFile(data, security);
        EXPECT_EQ(data.size(), (bars.size() + 1) * 28);
        EXPECT_EQ(data.substr(0, 2) + data.substr(4, 24), std::string(26, '\0'));
        ASSERT_FALSE(bars.empty());
        EXPECT_EQ(security.firstDate, ms::DateNumberToYmd(bars.front().date));
        EXPECT_EQ(security.lastDate, ms::DateNumberToYmd(bars.back().date));
    }
    EXPECT_EQ(ms::Word(master, 2), highest);
    EXPECT_EQ(master.substr(4, 49), std::string(49, '\0'));
    const std::string& emaster = files.at("EMASTER");
    EXPECT_EQ(emaster.substr(0, 4), master.substr(0, 4));
    EXPECT_EQ(emaster.size(), (securities.size() + 1) * ms::kEmasterRecordSize);
}

TEST_F(MetaStockRun, SecondRunKeepsTheOtherSecurities) {
    options.intervalEnabled = {true, true, false, false, false};
    dir.Write("AFLT.txt", Quotes("AFLT", 100));
    dir.Write("GAZP.txt", Quotes("GAZP", 50));
    dir.Write("SBER.txt", Quotes("SBER", 70));
    Run(true);
    ExpectIndexRules(FolderFiles());
    const std::map<std::string, std::string> first = FolderFiles();
    std::filesystem::remove(test::Utf8Path(dir.PathOf("AFLT.txt")));
    std::filesystem::remove(test::Utf8Path(dir.PathOf("SBER.txt")));
    dir.Write("GAZP.txt", Quotes("GAZP", 200));
    options.intervalEnabled = {true, false, true, false, false};
    Run(true);
    const std::map<std::string, std::string> second = FolderFiles();
    ExpectIndexRules(second);
    EXPECT_EQ(report.log.at(1), "MetaStock: F3.DAT GAZP 5 min, 41 bars");
    EXPECT_EQ(report.log.at(2), "MetaStock: F7.DAT GAZP 15 min, 15 bars");
    for (const std::string name : {"F1.DAT", "F2.DAT", "F4.DAT", "F5.DAT", "F6.DAT"})
        EXPECT_EQ(second.at(name), first.at(name)) << name;
    EXPECT_NE(second.at("F3.DAT"), first.at("F3.DAT"));
    EXPECT_EQ(ms::ReadMaster(second.at("MASTER")).size(), 7U);
}

TEST_F(MetaStockRun, PublishedFolderKeepsItsSecurity) {
    std::filesystem::create_directory(test::Utf8Path(Folder()));
    dir.Write("ms/MASTER", kSiteMaster);
    dir.Write("ms/F1.DAT", kSiteData);
    dir.Write("SBER.txt", Quotes("SBER", 30));
    options.intervalEnabled = {true, false, false, false, false};
    Run(true);
    const std::map<std::string, std::string> files = FolderFiles();
    EXPECT_EQ(files.at("F1.DAT"), kSiteData);
    EXPECT_FALSE(files.contains("EMASTER"));  // a folder kept with MASTER alone stays so
    EXPECT_EQ(files.at("MASTER").substr(0, 4), FromHex("02000200"));
    EXPECT_EQ(files.at("MASTER").substr(ms::kMasterRecordSize, ms::kMasterRecordSize),
              kSiteMaster.substr(ms::kMasterRecordSize));
    ASSERT_EQ(ListMetaStockFolder(Folder()).size(), 2U);
    EXPECT_EQ(ReadMetaStockBars(Folder(), ListMetaStockFolder(Folder()).front(), 3, true),
              "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n"
              "2HR.DE,20131115,090500,8.585,8.65,8.585,8.65,1713\r\n"
              "2HR.DE,20131115,091500,8.591,8.591,8.59,8.59,296\r\n");
    // The published security converted anew: its data replaced, its name kept.
    std::filesystem::remove(test::Utf8Path(dir.PathOf("SBER.txt")));
    dir.Write("HR.txt", Quotes("2HR.DE", 30));
    Run(true);
    EXPECT_EQ(report.log.at(1), "MetaStock: F1.DAT 2HR.DE 5 min, 7 bars");
    const ms::Security replaced = ms::ReadMaster(FolderFile("MASTER")).front();
    EXPECT_EQ(replaced.name, "H&R");
    EXPECT_EQ(replaced.firstDate, 20240101);
}

TEST_F(MetaStockRun, OneSecurityComesFromOneFileOfARun) {
    options.intervalEnabled = {true, false, false, false, false};
    dir.Write("A.txt", Quotes("SBER", 30));
    dir.Write("B.txt", Quotes("SBER", 40));
    Run(true);
    EXPECT_EQ(report.log.at(1), "MetaStock: F1.DAT SBER 5 min, 7 bars");
    EXPECT_EQ(report.log.back(), "Error: MetaStock: SBER 5 min was written by an earlier file of this run");
    EXPECT_EQ(ms::ReadMaster(FolderFile("MASTER")).size(), 1U);
}

TEST_F(MetaStockRun, RefusalsLeaveTheFolderAsItWas) {
    options.intervalEnabled = {true, false, false, false, false};
    dir.Write("AFLT.txt", Quotes("AFLT", 30));
    Run(true);
    const std::map<std::string, std::string> before = FolderFiles();
    std::filesystem::remove(test::Utf8Path(dir.PathOf("AFLT.txt")));
    struct Row {
        std::string quotes;
        std::array<bool, kSlotCount> slots;
        std::string error;
    };
    for (const Row& row : {
             Row{Quotes("SBER", 30),
                 {false, false, false, false, true},
                 "Error: MetaStock: an intraday interval is 1 to 60 minutes, not 240"},
             Row{Quotes("ABCDEFGHIJKLMNO", 30),
                 {true, false, false, false, false},
                 "Error: MetaStock: the symbol 'ABCDEFGHIJKLMNO' cannot be kept in the folder (1 to 14 "
                 "printable "
                 "ASCII characters, no blank at its end)"},
             Row{Quotes("SBER", 30).replace(71, 4, "1899"),
                 {true, false, false, false, false},
                 "Error: MetaStock: the date 18990101 is outside the years 1900 to 2099"},
             Row{Quotes("СБЕР", 30),
                 {true, false, false, false, false},
                 "Error: MetaStock: the symbol 'СБЕР' cannot be kept in the folder (1 to 14 printable ASCII "
                 "characters, no blank at its end)"},
             Row{Quotes("SBER", 30, 100, 2) + Quotes("SBER", 5).substr(64),
                 {true, false, false, false, false},
                 "Error: MetaStock: the bar of SBER 20240101 100000 comes after a later bar"},
         }) {
        dir.Write("SBER.txt", row.quotes);
        options.intervalEnabled = row.slots;
        Run(true);
        EXPECT_EQ(report.log.back(), row.error);
        EXPECT_EQ(FolderFiles(), before);
    }
}

}  // namespace
}  // namespace tarnix
