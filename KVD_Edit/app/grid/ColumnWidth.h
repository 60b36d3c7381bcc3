#pragma once

#include <functional>
#include <string>
#include <vector>

// The width a grid column needs for the widest of its texts, without measuring every text.
// Measuring one text costs the toolkit a text layout (some 10 microseconds), and a grid of
// 10,000 lines has 10,000 distinct names. A text is never wider than the sum of its
// characters' advances (kerning and ligatures only narrow a run), so the texts are ranked by
// that sum: the widest few are measured exactly, and the sum of the next one, with a little
// room for a font that widens some pairs, bounds all the others. The column is then at most a
// few pixels wider than its widest text, never narrower.
class CColumnWidth {
public:
    // The exact width of a text (8-bit, the system's code page) in pixels.
    using Measure = std::function<int(const std::string &)>;

    // How many of the texts ranked widest are measured exactly.
    static constexpr size_t kMeasured = 8;

    explicit CColumnWidth(Measure measure);

    // The width in pixels that every one of texts fits into; 0 for none.
    int Widest(const std::vector<std::string> &texts);

    // The sum of the characters' advances of text, in pixels.
    double Estimate(const std::string &text);

private:
    // The advance of one character, measured over a run of it once and kept.
    double Advance(unsigned char c);

    Measure m_measure;
    double m_advance[256] = {};
    bool m_known[256] = {};
};
