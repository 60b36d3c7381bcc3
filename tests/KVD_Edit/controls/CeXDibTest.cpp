#include "KVD_Edit/controls/CeXDib.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

uint32_t Le32(const std::string &b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

TEST(CeXDib, CreatesAZeroFilledBlock) {
    CCeXDib dib;
    ASSERT_NE(dib.Create(3, 2, 8), nullptr);
    EXPECT_EQ(dib.GetLineWidth(), 4);
    EXPECT_EQ(dib.GetColourCount(), 256);
    EXPECT_EQ(dib.GetPaletteByteSize(), 1024u);
    EXPECT_EQ(dib.GetSize(), 40u + 1024u + 8u);
    EXPECT_EQ(dib.GetBits(), dib.GetBlock() + 40 + 1024);
    for (size_t i = 40; i < dib.GetSize(); ++i)
        ASSERT_EQ(dib.GetBlock()[i], 0) << "byte " << i << " must be cleared";
    EXPECT_EQ(dib.Create(0, 5, 8), nullptr) << "no bitmap of width 0";
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.GetBits(), nullptr);
    EXPECT_EQ(dib.Create(1 << 20, 1 << 20, 8), nullptr) << "too large to hold";
    CCeXDib one;
    one.Create(17, 1, 1);
    EXPECT_EQ(one.GetLineWidth(), 4);
    EXPECT_EQ(one.GetColourCount(), 2);
}

TEST(CeXDib, PixelsCountFromTheTop) {
    CCeXDib dib;
    dib.Create(3, 2, 8);
    dib.PutPixelIndex(0, 0, 7);
    EXPECT_EQ(dib.GetBits()[4], 7) << "top-left is the first byte of the last stored row";
    dib.PutPixelIndex(2, 1, 9);
    EXPECT_EQ(dib.GetBits()[2], 9);
    dib.PutPixelIndex(3, 0, 1);
    dib.PutPixelIndex(-1, 0, 1);
    dib.PutPixelIndex(0, 2, 1);
    EXPECT_EQ(dib.GetBits()[3], 0) << "pixels outside the bitmap are ignored";
    dib.Clear(5);
    EXPECT_EQ(dib.GetPixelIndex(1, 1), 5);
    CCeXDib four;
    four.Create(3, 1, 4);
    four.PutPixelIndex(1, 0, 0xA);
    EXPECT_EQ(four.GetBits()[0], 0x0A);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 0xA);
}

TEST(CeXDib, PaletteEditing) {
    CCeXDib dib;
    dib.Create(2, 2, 8);
    dib.PutPaletteEntry(3, 10, 20, 30);
    EXPECT_EQ(dib.GetBlock()[40 + 12], 30) << "entries are blue, green, red, 0";
    EXPECT_EQ(dib.GetBlock()[40 + 14], 10);
    dib.PutPaletteEntry(256, 1, 1, 1); // outside: ignored
    dib.MakeGreyPalette();
    EXPECT_EQ(dib.GetPaletteEntry(100), wxColour(100, 100, 100));
    EXPECT_EQ(dib.GetPaletteEntry(255), wxColour(255, 255, 255));
    dib.TintPalette(wxColour(200, 0, 0), 50);
    EXPECT_EQ(dib.GetPaletteEntry(100), wxColour(150, 50, 50));
    dib.TintPalette(wxColour(1, 2, 3), 150);
    EXPECT_EQ(dib.GetPaletteEntry(17), wxColour(1, 2, 3)) << "above 100 percent counts as 100";
}

TEST(CeXDib, CloneCopiesAndSelfCloneKeepsTheBlock) {
    CCeXDib a, b;
    a.Create(3, 2, 8);
    a.PutPixelIndex(1, 1, 42);
    a.PutPaletteEntry(42, 1, 2, 3);
    b.Clone(&a);
    EXPECT_EQ(b.GetPixelIndex(1, 1), 42);
    EXPECT_EQ(b.GetPaletteEntry(42), wxColour(1, 2, 3));
    a.Clone(&a);
    ASSERT_FALSE(a.IsEmpty());
    EXPECT_EQ(a.GetPixelIndex(1, 1), 42) << "copying from itself changes nothing";
}

TEST(CeXDib, WritesABmpFile) {
    CCeXDib dib;
    dib.Create(3, 2, 8);
    dib.PutPixelIndex(0, 0, 200);
    const std::string bytes = dib.GetFileBytes();
    ASSERT_EQ(bytes.size(), 1086u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), 1086u) << "file size";
    EXPECT_EQ(Le32(bytes, 6), 0u) << "reserved words";
    EXPECT_EQ(Le32(bytes, 10), 1078u) << "pixel offset";
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), 3u);
    EXPECT_EQ(Le32(bytes, 22), 2u);
    EXPECT_EQ(Le32(bytes, 34), 8u) << "image size";
    EXPECT_EQ(static_cast<uint8_t>(bytes[1078 + 4]), 200);

    kvdtest::TempDir dir;
    const std::string path = dir.File("face.bmp");
    ASSERT_EQ(dib.SaveBitmapFile(path), 1);
    EXPECT_EQ(kvdtest::ReadFile(path), bytes);
    EXPECT_EQ(dib.SaveBitmapFile(""), 0);
    EXPECT_EQ(CCeXDib().SaveBitmapFile(path), 0) << "an empty bitmap writes nothing";
    EXPECT_EQ(dib.SaveBitmapFile(dir.File("missing/face.bmp")), 0);
}

} // namespace
