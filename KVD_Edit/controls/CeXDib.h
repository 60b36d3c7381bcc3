#pragma once

// A small in-memory device-independent bitmap: one block holding a 40-byte bitmap info header,
// the palette (blue, green, red, 0 per entry) and the pixel rows bottom-up, each padded to 4
// bytes, exactly as a BMP file stores them after its 14-byte file header. It can edit its
// palette and pixels, copy itself, write itself as a BMP file and draw itself (through a
// wxBitmap made from it, renewed only when the pixels or the palette changed).

#include <wx/bitmap.h>
#include <wx/colour.h>

#include <cstdint>
#include <string>
#include <vector>

class wxDC;

class CCeXDib {
public:
    static constexpr int HeaderSize = 40;
    static constexpr int FileHeaderSize = 14;

    CCeXDib() = default;
    virtual ~CCeXDib() = default;
    CCeXDib(const CCeXDib &) = delete;
    CCeXDib &operator=(const CCeXDib &) = delete;

    // Replaces the content with a zero-filled bitmap of width x height at bitCount bits per
    // pixel (1, 4, 8 or 24). Returns the block, or null (and empty) for a size of 0 or a bitmap
    // too large to hold.
    uint8_t *Create(int width, int height, int bitCount);
    void Free();
    bool IsEmpty() const { return m_block.empty(); }

    // Header, palette and pixel bytes together.
    size_t GetSize() const;
    size_t GetPaletteByteSize() const { return static_cast<size_t>(m_colours) * 4; }
    // The first pixel byte (of the bottom row); null when empty.
    uint8_t *GetBits();
    const uint8_t *GetBits() const;
    const uint8_t *GetBlock() const { return m_block.empty() ? nullptr : m_block.data(); }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetLineWidth() const { return m_lineWidth; }
    int GetBitCount() const { return m_bitCount; }
    int GetColourCount() const { return m_colours; }

    // Palette editing; ignored without a palette or for an index outside it.
    void PutPaletteEntry(int index, uint8_t red, uint8_t green, uint8_t blue);
    wxColour GetPaletteEntry(int index) const;
    void MakeGreyPalette();
    // Blends every entry toward colour by percent (above 100 counts as 100).
    void TintPalette(const wxColour &colour, int percent);

    // Every pixel byte becomes value.
    void Clear(uint8_t value);
    // The pixel at (x, y), y counting from the top; ignored outside the bitmap or without a
    // palette.
    void PutPixelIndex(int x, int y, int index);
    int GetPixelIndex(int x, int y) const;
    // A copy of source (nothing happens when source is this bitmap itself).
    void Clone(const CCeXDib *source);

    // Draws the bitmap with its top-left corner at (x, y); an empty bitmap draws nothing.
    void Draw(wxDC &dc, int x, int y) const;
    // The bitmap as the toolkit draws it (null for an empty one).
    const wxBitmap &GetBitmap() const;

    // The BMP file's bytes: file header and the block.
    std::string GetFileBytes() const;
    // Writes the BMP file (replaced atomically); 1 on success, 0 for an empty name, an empty
    // bitmap or a write failure.
    int SaveBitmapFile(const std::string &fileName) const;

private:
    uint8_t *Palette();
    const uint8_t *Palette() const;
    size_t ImageSize() const { return static_cast<size_t>(m_lineWidth) * m_height; }

    std::vector<uint8_t> m_block;
    int m_width = 0;
    int m_height = 0;
    int m_bitCount = 0;
    int m_lineWidth = 0;
    int m_colours = 0;
    mutable wxBitmap m_bitmap;
    mutable bool m_bitmapStale = true;
};
