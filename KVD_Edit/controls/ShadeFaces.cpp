#include "KVD_Edit/controls/ShadeFaces.h"

#include <algorithm>

namespace {

// Palette from shadow (0) over face (128) to highlight (255).
void ShadePalette(CCeXDib &dib, const SShadeColours &c) {
    auto mix = [](int a, int b, int i) {
        return static_cast<uint8_t>((a * (128 - i) + b * i) / 128);
    };
    for (int i = 0; i <= 128; ++i)
        dib.PutPaletteEntry(i, mix(c.shadow.Red(), c.face.Red(), i),
                            mix(c.shadow.Green(), c.face.Green(), i),
                            mix(c.shadow.Blue(), c.face.Blue(), i));
    for (int i = 1; i <= 128; ++i)
        dib.PutPaletteEntry(127 + i, mix(c.face.Red(), c.highlight.Red(), i),
                            mix(c.face.Green(), c.highlight.Green(), i),
                            mix(c.face.Blue(), c.highlight.Blue(), i));
}

class CFacePainter {
public:
    CFacePainter(CCeXDib &dib, int granularity, const std::function<int()> &random)
        : m_dib(dib), m_bits(dib.GetBits()), m_line(dib.GetLineWidth()), m_w(dib.GetWidth()),
          m_h(dib.GetHeight()), m_g(granularity), m_random(random) {
        m_d = 32767 / (m_g > 0 ? 2 * m_g : 1);
    }

    // The random offset r / D - g; with plain, without the - g.
    int Noise(bool plain = false) { return Rand() / m_d - (plain ? 0 : m_g); }
    int Rand() { return std::clamp(m_random(), 0, 32767); }
    // Pixel in stored order: y = 0 is the bottom row.
    uint8_t &At(int x, int y) { return m_bits[static_cast<size_t>(y) * m_line + x]; }
    void Set(int x, int y, int value) { At(x, y) = static_cast<uint8_t>(value); }

    void Diagonal() {
        const int k = (255 - 2 * m_g) / 2;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                Set(x, y, k * (m_w - x) / m_w + (k * y / m_h + m_g) + Noise());
    }
    void Rows() {
        const int k = 255 - 2 * m_g;
        for (int y = 0; y < m_h; ++y) {
            const int level = k * y / m_h + m_g;
            for (int x = 0; x < m_w; ++x)
                Set(x, y, level + Noise());
        }
    }
    void Columns() {
        const int k = 255 - 2 * m_g;
        for (int x = 0; x < m_w; ++x) {
            const int level = k * (m_w - x) / m_w + m_g;
            for (int y = 0; y < m_h; ++y)
                Set(x, y, level + Noise());
        }
    }
    static int Bump(int c, int factor) { return ((c * c * c / 16384) * factor) / 128 + 128; }
    void RowBump(int factor) {
        for (int y = 0; y < m_h; ++y) {
            const int level = Bump(y * 255 / m_h - 127, factor);
            for (int x = 0; x < m_w; ++x)
                Set(x, y, level + Noise());
        }
    }
    void ColumnBump() {
        for (int x = 0; x < m_w; ++x) {
            const int level = Bump((m_w - x) * 255 / m_w - 127, 128 - m_g);
            for (int y = 0; y < m_h; ++y)
                Set(x, y, level + Noise());
        }
    }
    void SoftBump() {
        for (int y = 0; y < m_h; ++y) {
            const int a = y * 255 / m_h - 127;
            for (int x = 0; x < m_w; ++x) {
                const int b = (m_w - x) * 255 / m_w - 127;
                int v = a * a * a / 16384 + b * b * b / 16384;
                v = v * (128 - m_g) / 128 + 128;
                v = std::clamp(v, m_g, 255 - m_g);
                Set(x, y, v + Noise());
            }
        }
    }
    void Cylinder() {
        RowBump(128 - 2 * m_g);
        const int r = std::max(std::min(m_w / 6, 16), 1);
        // q is H * H / 4: at least 1, so that a one-pixel-high face divides by nothing smaller.
        const long long q = std::max<long long>(static_cast<long long>(m_h) * m_h / 4, 1);
        for (int y = 0; y < m_h; ++y) {
            const long long dy = y - m_h / 2;
            for (int x = 0; x < m_w; ++x) {
                const int dx = x - m_w / 2;
                const long long t = m_w / 2 - r + dy * dy * r / q;
                if (dx > t)
                    Set(x, y, m_g + (m_w - x) * 128 / r);
                else if (dx + t < 0)
                    Set(x, y, (255 - m_g) - x * 128 / r);
            }
        }
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                Set(x, y, At(x, y) + Noise());
    }
    void Streaks() {
        m_dib.Clear(0);
        // Divisors of at least 1: faces wider than 32767 pixels must not divide by zero.
        const int dx = std::max(32767 / m_w, 1), dy = std::max(32767 / m_h, 1);
        const int dn = std::max(32767 / std::min(m_w, m_h), 1), dm = 32767 / 40;
        for (int j = 0; j < 200; ++j) {
            const int x0 = Rand() / dx;
            const int y0 = Rand() / dy;
            const int n = (Rand() / dn) / 2;
            const int m = Rand() / dm;
            for (int i = 0; i < n; ++i) {
                if (x0 - i > 0 && y0 + i < m_h)
                    m_dib.PutPixelIndex(x0 - i, y0 + i, m);
                if (x0 + i < m_w && y0 - i > 0)
                    m_dib.PutPixelIndex(m_w - x0 + i, y0 - i, m);
            }
        }
        const int k = (255 - 2 * m_g - 40) / 2;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                Set(x, y, At(x, y) + k * (m_w - x) / m_w + k * y / m_h + Noise(true));
    }
    void Noisy() {
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                Set(x, y, Noise() + 128);
    }

private:
    CCeXDib &m_dib;
    uint8_t *m_bits;
    int m_line, m_w, m_h, m_g, m_d;
    const std::function<int()> &m_random;
};

} // namespace

void BuildShadeFaces(CCeXDib &normal, CCeXDib &hot, int width, int height, int shade,
                     int granularity, int highlight, int colouring, const wxColour &colour,
                     const SShadeColours &system, const std::function<int()> &random) {
    hot.Free();
    if (!normal.Create(width, height, 8))
        return; // a face of no size: nothing to build
    ShadePalette(normal, system);
    normal.TintPalette(colour, colouring);
    CFacePainter painter(normal, std::clamp(granularity, 0, 255), random);
    switch (shade) {
    case ShadeStyle::DiagonalGradient:
        painter.Diagonal();
        break;
    case ShadeStyle::VerticalGradient:
        painter.Rows();
        break;
    case ShadeStyle::HorizontalGradient:
        painter.Columns();
        break;
    case ShadeStyle::VerticalBump:
        painter.RowBump(128 - std::clamp(granularity, 0, 255));
        break;
    case ShadeStyle::HorizontalBump:
        painter.ColumnBump();
        break;
    case ShadeStyle::TwoWayBump:
        painter.SoftBump();
        break;
    case ShadeStyle::Cylinder:
        painter.Cylinder();
        break;
    case ShadeStyle::Streaks:
        painter.Streaks();
        break;
    default:
        painter.Noisy();
        break;
    }
    hot.Clone(&normal);
    hot.TintPalette(system.highlight, highlight);
}
