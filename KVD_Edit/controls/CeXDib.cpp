#include "KVD_Edit/controls/CeXDib.h"

#include "orq_utils/FileReplacement.h"

#include <wx/dc.h>
#include <wx/image.h>

#include <algorithm>
#include <cstring>

namespace {

// Bitmaps larger than this are refused instead of exhausting the memory.
constexpr size_t kMaxBlockBytes = size_t(256) << 20;

void Put16(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t *p, uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

int ColoursOf(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

} // namespace

uint8_t *CCeXDib::Create(int width, int height, int bitCount) {
    Free();
    if (width <= 0 || height <= 0 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return nullptr;
    const size_t lineWidth = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    const int colours = ColoursOf(bitCount);
    const size_t image = lineWidth * static_cast<size_t>(height);
    if (lineWidth > kMaxBlockBytes || image / lineWidth != static_cast<size_t>(height) ||
        image > kMaxBlockBytes)
        return nullptr;
    m_width = width;
    m_height = height;
    m_bitCount = bitCount;
    m_lineWidth = static_cast<int>(lineWidth);
    m_colours = colours;
    // Zero-filled: a new bitmap is black (palette entry 0) instead of left-over memory.
    m_block.assign(HeaderSize + GetPaletteByteSize() + image, 0);
    uint8_t *h = m_block.data();
    Put32(h, HeaderSize);
    Put32(h + 4, static_cast<uint32_t>(width));
    Put32(h + 8, static_cast<uint32_t>(height)); // positive: rows stored bottom-up
    Put16(h + 12, 1);
    Put16(h + 14, static_cast<uint32_t>(bitCount));
    Put32(h + 16, 0); // BI_RGB
    Put32(h + 20, static_cast<uint32_t>(image));
    m_bitmapStale = true;
    return m_block.data();
}

void CCeXDib::Free() {
    m_block.clear();
    m_block.shrink_to_fit();
    m_width = m_height = m_bitCount = m_lineWidth = m_colours = 0;
    m_bitmap = wxNullBitmap;
    m_bitmapStale = true;
}

size_t CCeXDib::GetSize() const {
    if (m_block.empty())
        return 0;
    return HeaderSize + ImageSize() + GetPaletteByteSize();
}

uint8_t *CCeXDib::Palette() {
    return m_block.empty() || m_colours == 0 ? nullptr : m_block.data() + HeaderSize;
}

const uint8_t *CCeXDib::Palette() const {
    return m_block.empty() || m_colours == 0 ? nullptr : m_block.data() + HeaderSize;
}

uint8_t *CCeXDib::GetBits() {
    return m_block.empty() ? nullptr : m_block.data() + HeaderSize + GetPaletteByteSize();
}

const uint8_t *CCeXDib::GetBits() const {
    return m_block.empty() ? nullptr : m_block.data() + HeaderSize + GetPaletteByteSize();
}

void CCeXDib::PutPaletteEntry(int index, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t *palette = Palette();
    if (!palette || index < 0 || index >= m_colours)
        return;
    uint8_t *entry = palette + 4 * index;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = 0;
    m_bitmapStale = true;
}

wxColour CCeXDib::GetPaletteEntry(int index) const {
    const uint8_t *palette = Palette();
    if (!palette || index < 0 || index >= m_colours)
        return wxColour();
    const uint8_t *entry = palette + 4 * index;
    return wxColour(entry[2], entry[1], entry[0]);
}

void CCeXDib::MakeGreyPalette() {
    if (!Palette())
        return;
    for (int i = 0; i < m_colours; ++i) {
        const uint8_t level = static_cast<uint8_t>(i);
        PutPaletteEntry(i, level, level, level);
    }
    PutPaletteEntry(0, 0, 0, 0);
    PutPaletteEntry(m_colours - 1, 255, 255, 255);
}

void CCeXDib::TintPalette(const wxColour &colour, int percent) {
    uint8_t *palette = Palette();
    if (!palette)
        return;
    percent = std::clamp(percent, 0, 100);
    const int target[3] = {colour.Blue(), colour.Green(), colour.Red()};
    for (int i = 0; i < m_colours; ++i) {
        for (int k = 0; k < 3; ++k) {
            uint8_t &c = palette[4 * i + k];
            c = static_cast<uint8_t>((c * (100 - percent) + target[k] * percent) / 100);
        }
    }
    m_bitmapStale = true;
}

void CCeXDib::Clear(uint8_t value) {
    if (uint8_t *bits = GetBits()) {
        std::memset(bits, value, ImageSize());
        m_bitmapStale = true;
    }
}

void CCeXDib::PutPixelIndex(int x, int y, int index) {
    uint8_t *bits = GetBits();
    if (!bits || !Palette() || x < 0 || x >= m_width || y < 0 || y >= m_height)
        return;
    uint8_t *row = bits + static_cast<size_t>(m_height - y - 1) * m_lineWidth;
    if (m_bitCount == 8) {
        row[x] = static_cast<uint8_t>(index);
    } else {
        // 1 and 4 bits: the leftmost pixel sits in the byte's high bits.
        const int perByte = 8 / m_bitCount;
        const int shift = (perByte - 1 - x % perByte) * m_bitCount;
        const uint8_t mask = static_cast<uint8_t>(((1 << m_bitCount) - 1) << shift);
        uint8_t &b = row[x / perByte];
        b = static_cast<uint8_t>((b & ~mask) | ((index << shift) & mask));
    }
    m_bitmapStale = true;
}

int CCeXDib::GetPixelIndex(int x, int y) const {
    const uint8_t *bits = GetBits();
    if (!bits || !Palette() || x < 0 || x >= m_width || y < 0 || y >= m_height)
        return -1;
    const uint8_t *row = bits + static_cast<size_t>(m_height - y - 1) * m_lineWidth;
    if (m_bitCount == 8)
        return row[x];
    const int perByte = 8 / m_bitCount;
    const int shift = (perByte - 1 - x % perByte) * m_bitCount;
    return (row[x / perByte] >> shift) & ((1 << m_bitCount) - 1);
}

void CCeXDib::Clone(const CCeXDib *source) {
    if (source == this)
        return; // copying from itself must not free the block it copies
    if (!source || source->IsEmpty()) {
        Free();
        return;
    }
    if (Create(source->m_width, source->m_height, source->m_bitCount))
        m_block = source->m_block;
}

const wxBitmap &CCeXDib::GetBitmap() const {
    if (!m_bitmapStale)
        return m_bitmap;
    m_bitmapStale = false;
    m_bitmap = wxNullBitmap;
    if (m_block.empty())
        return m_bitmap;
    wxImage image(m_width, m_height, false);
    unsigned char *rgb = image.GetData();
    const uint8_t *palette = Palette();
    const uint8_t *bits = GetBits();
    const int bytesPerPixel = m_bitCount / 8;
    for (int y = 0; y < m_height; ++y) {
        const uint8_t *row = bits + static_cast<size_t>(m_height - y - 1) * m_lineWidth;
        for (int x = 0; x < m_width; ++x, rgb += 3) {
            const uint8_t *bgr = palette ? palette + 4 * GetPixelIndex(x, y)
                                         : row + static_cast<size_t>(x) * bytesPerPixel;
            rgb[0] = bgr[2];
            rgb[1] = bgr[1];
            rgb[2] = bgr[0];
        }
    }
    m_bitmap = wxBitmap(image);
    return m_bitmap;
}

void CCeXDib::Draw(wxDC &dc, int x, int y) const {
    const wxBitmap &bitmap = GetBitmap();
    if (bitmap.IsOk())
        dc.DrawBitmap(bitmap, x, y, false);
}

std::string CCeXDib::GetFileBytes() const {
    if (m_block.empty())
        return std::string();
    std::string bytes(FileHeaderSize, '\0');
    uint8_t *h = reinterpret_cast<uint8_t *>(bytes.data());
    Put16(h, 0x4D42); // "BM"
    Put32(h + 2, static_cast<uint32_t>(GetSize() + FileHeaderSize));
    Put32(h + 10, static_cast<uint32_t>(FileHeaderSize + HeaderSize + GetPaletteByteSize()));
    bytes.append(reinterpret_cast<const char *>(m_block.data()), GetSize());
    return bytes;
}

int CCeXDib::SaveBitmapFile(const std::string &fileName) const {
    if (fileName.empty() || m_block.empty())
        return 0;
    return ORQ::ReplaceFileContent(fileName, GetFileBytes()) ? 1 : 0;
}
