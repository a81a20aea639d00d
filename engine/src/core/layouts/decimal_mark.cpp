#include "decimal_mark.h"

#include <algorithm>
#include <vector>

#include "tarnix/text_case.h"

namespace tarnix {
namespace {

char OtherMark(char mark) {
    return mark == '.' ? ',' : '.';
}

// Votes for a dot or a comma, counted apart by their weight.
struct MarkVotes {
    int strongDot = 0;
    int strongComma = 0;
    int weakDot = 0;
    int weakComma = 0;
    bool anyMark = false;

    void Vote(char mark, bool strong) {
        int& count = mark == '.' ? (strong ? strongDot : weakDot) : (strong ? strongComma : weakComma);
        ++count;
    }

    // The mark a majority shows, or 0.
    char Settled() const {
        if (strongDot != strongComma) return strongDot > strongComma ? '.' : ',';
        if (strongDot == 0 && weakDot != weakComma) return weakDot > weakComma ? '.' : ',';
        return 0;
    }
};

void AddField(std::string_view field, bool volume, MarkVotes& votes) {
    const std::size_t lastDot = field.rfind('.');
    const std::size_t lastComma = field.rfind(',');
    if (lastDot == std::string_view::npos && lastComma == std::string_view::npos) return;
    votes.anyMark = true;
    if (lastDot != std::string_view::npos && lastComma != std::string_view::npos) {
        votes.Vote(lastDot > lastComma ? '.' : ',', true);
        return;
    }
    const std::size_t at = std::min(lastDot, lastComma);
    const char mark = field[at];
    if (field.find(mark) != at) {
        votes.Vote(OtherMark(mark), true);
        return;
    }
    std::size_t digits = 0;
    while (at + 1 + digits < field.size() && IsDigit(field[at + 1 + digits])) ++digits;
    const bool scaled = volume && std::string_view("KkMmBb").find(field.back()) != std::string_view::npos;
    if (digits != 3 || scaled) {
        votes.Vote(mark, true);
    } else if (volume) {
        votes.Vote(OtherMark(mark), false);
    }
}

bool AnyFieldHolds(const SampleTable& table, const std::vector<int>& columns, char mark) {
    return std::any_of(table.data().begin(), table.data().end(), [&](const SampleRow& row) {
        return std::any_of(columns.begin(), columns.end(),
                           [&](int c) { return table.FieldOf(row, c).find(mark) != std::string_view::npos; });
    });
}

}  // namespace

void DecideDecimalMark(const SampleTable& table, char asked, QuoteLayout& layout) {
    layout.decimalMarkAssumed = false;
    if (asked != 0) {
        layout.decimalMark = asked;
        return;
    }
    std::vector<int> columns;
    for (std::size_t c = 0; c < layout.columns.size(); ++c) {
        const ColumnRole role = layout.columns[c];
        if (role >= ColumnRole::kOpen && role <= ColumnRole::kVolume) columns.push_back(static_cast<int>(c));
    }
    MarkVotes votes;
    for (const SampleRow& row : table.data()) {
        for (const int c : columns) {
            const bool volume = layout.columns[static_cast<std::size_t>(c)] == ColumnRole::kVolume;
            AddField(table.FieldOf(row, c), volume, votes);
        }
    }
    if (const char settled = votes.Settled()) {
        layout.decimalMark = settled;
        return;
    }
    layout.decimalMark = table.separator() != ',' && AnyFieldHolds(table, columns, ',') ? ',' : '.';
    layout.decimalMarkAssumed = votes.anyMark;
}

}  // namespace tarnix
