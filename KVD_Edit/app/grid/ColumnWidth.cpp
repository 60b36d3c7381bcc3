#include "KVD_Edit/app/grid/ColumnWidth.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// A run this long gives a character's advance to a sixteenth of a pixel.
constexpr int kRun = 16;

} // namespace

CColumnWidth::CColumnWidth(Measure measure) : m_measure(std::move(measure)) {}

double CColumnWidth::Advance(unsigned char c) {
    if (!m_known[c]) {
        m_advance[c] = m_measure(std::string(kRun, static_cast<char>(c))) / double(kRun);
        m_known[c] = true;
    }
    return m_advance[c];
}

double CColumnWidth::Estimate(const std::string &text) {
    double sum = 0;
    for (unsigned char c : text)
        sum += Advance(c);
    return sum;
}

int CColumnWidth::Widest(const std::vector<std::string> &texts) {
    std::vector<double> estimates(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        estimates[i] = Estimate(texts[i]);
    std::vector<size_t> order(texts.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const auto wider = [&](size_t a, size_t b) { return estimates[a] > estimates[b]; };
    const size_t measured = std::min(kMeasured, order.size());
    // The kMeasured widest by their sums first, the widest of the others right after them.
    if (order.size() > measured)
        std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(measured),
                         order.end(), wider);
    int widest = 0;
    for (size_t k = 0; k < measured; ++k)
        widest = std::max(widest, m_measure(texts[order[k]]));
    if (order.size() > measured) {
        // Room for positive kerning and rounding: a pixel and two percent.
        const double bound = estimates[order[measured]] * 1.02 + 1;
        widest = std::max(widest, static_cast<int>(std::ceil(bound)));
    }
    return widest;
}
