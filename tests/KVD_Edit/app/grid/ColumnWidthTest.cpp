#include "KVD_Edit/app/grid/ColumnWidth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// A proportional font with kerning: wide W and M, narrow i, l and the point; "AV", "To" and
// "Wa" drawn closer, "f)" a little apart. It counts the texts it measured.
struct SFakeFont {
    int calls = 0;
    int Width(const std::string &text) {
        ++calls;
        int w = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            w += c == 'W' || c == 'M' ? 12 : c == 'i' || c == 'l' || c == '.' ? 3 : 7;
            if (i + 1 < text.size()) {
                static const std::map<std::string, int> pairs = {
                    {"AV", -2}, {"To", -2}, {"Wa", -1}, {"f)", 1}};
                const auto k = pairs.find(text.substr(i, 2));
                if (k != pairs.end())
                    w += k->second;
            }
        }
        return w;
    }
    CColumnWidth::Measure Measure() {
        return [this](const std::string &t) { return Width(t); };
    }
};

int ExactWidest(SFakeFont &font, const std::vector<std::string> &texts) {
    int widest = 0;
    for (const std::string &t : texts)
        widest = std::max(widest, font.Width(t));
    return widest;
}

} // namespace

// Every text fits, whatever its characters; the column is at most a few pixels wider than the
// widest text, and a short text of wide letters beats a long one of narrow letters.
TEST(ColumnWidth, EveryTextFitsAndTheColumnIsBarelyWider) {
    std::vector<std::string> texts = {"iiiiiiiiiiii", "WMW", "To AVa", "f)f)f)", "l.l.l."};
    for (int i = 0; i < 40; ++i)
        texts.push_back("X" + std::to_string(i % 7));
    SFakeFont exact;
    const int widest = ExactWidest(exact, texts);
    SFakeFont font;
    const int width = CColumnWidth(font.Measure()).Widest(texts);
    EXPECT_GE(width, widest);
    EXPECT_LE(width, widest * 1.02 + 2);

    // A widest text among many equal ones, and texts of positive kerning only.
    texts.assign(300, "GRID1 X0001");
    texts[150] = "GRID1 X0001 M";
    EXPECT_EQ(ExactWidest(exact, texts), CColumnWidth(font.Measure()).Widest(texts));
    texts.assign(20, "f)f)f)f)f)");
    EXPECT_GE(CColumnWidth(font.Measure()).Widest(texts), ExactWidest(exact, texts));
}

// Few texts are measured one by one; many are not: the cost is a run per character and the
// widest few, whatever the number of texts.
TEST(ColumnWidth, MeasuresTheWidestFewAndEachCharacterOnce) {
    SFakeFont font;
    CColumnWidth width(font.Measure());
    EXPECT_EQ(0, width.Widest({}));
    EXPECT_EQ(font.Width("ab"), width.Widest({"a", "ab"}));

    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i)
        names.push_back("GRID1 X" + std::to_string(10000 + i));
    font.calls = 0;
    const int w = width.Widest(names);
    const int calls = font.calls;
    EXPECT_GE(w, font.Width("GRID1 X10000"));
    // G, R, I, D, X, the space and ten digits: each measured once, in a run of its own.
    EXPECT_LE(calls, int(CColumnWidth::kMeasured) + 16);
    EXPECT_EQ(7 + 12 + 3, width.Estimate("aW."));
}
