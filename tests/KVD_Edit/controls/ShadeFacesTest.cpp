#include "KVD_Edit/controls/ShadeFaces.h"

#include <gtest/gtest.h>

namespace {

const SShadeColours kSystem{wxColour(128, 128, 128), wxColour(192, 192, 192),
                            wxColour(255, 255, 255)};

std::function<int()> Fixed(int value) {
    return [value] { return value; };
}

std::function<int()> Sequence() {
    auto state = std::make_shared<unsigned>(12345u);
    return [state] {
        *state = *state * 1103515245u + 12345u;
        return static_cast<int>((*state >> 16) & 0x7FFF);
    };
}

TEST(ShadeFaces, PaletteRunsFromShadowOverFaceToHighlight) {
    CCeXDib normal, hot;
    BuildShadeFaces(normal, hot, 10, 6, ShadeStyle::Noise, 0, 0, 0, *wxBLACK, kSystem, Fixed(0));
    EXPECT_EQ(normal.GetPaletteEntry(0), wxColour(128, 128, 128));
    EXPECT_EQ(normal.GetPaletteEntry(64), wxColour(160, 160, 160));
    // Entry 128 is written twice; the second time one step toward the highlight.
    EXPECT_EQ(normal.GetPaletteEntry(128), wxColour(192, 192, 192));
    EXPECT_EQ(normal.GetPaletteEntry(192), wxColour(223, 223, 223));
    EXPECT_EQ(normal.GetPaletteEntry(255), wxColour(255, 255, 255));
    EXPECT_EQ(hot.GetPaletteEntry(0), normal.GetPaletteEntry(0)) << "highlight 0: the same";
}

TEST(ShadeFaces, GranularityZeroGivesNoNoise) {
    CCeXDib normal, hot;
    BuildShadeFaces(normal, hot, 8, 4, ShadeStyle::Noise, 0, 30, 0, *wxBLACK, kSystem,
                    Fixed(32766));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(normal.GetPixelIndex(x, y), 128);
    BuildShadeFaces(normal, hot, 8, 4, ShadeStyle::Noise, 0, 30, 0, *wxBLACK, kSystem,
                    Fixed(32767));
    EXPECT_EQ(normal.GetPixelIndex(0, 0), 129) << "1 only for the largest random value";
    EXPECT_EQ(hot.GetPixelIndex(0, 0), 129) << "the hot face has the same pixels";
    EXPECT_NE(hot.GetPaletteEntry(0), normal.GetPaletteEntry(0)) << "but a brighter palette";
}

TEST(ShadeFaces, GradientsRunAcrossTheFace) {
    CCeXDib normal, hot;
    BuildShadeFaces(normal, hot, 20, 10, ShadeStyle::VerticalGradient, 0, 0, 0, *wxBLACK, kSystem,
                    Fixed(0));
    EXPECT_EQ(normal.GetPixelIndex(5, 9), 0) << "the bottom row is the darkest";
    EXPECT_EQ(normal.GetPixelIndex(5, 0), 255 * 9 / 10);
    BuildShadeFaces(normal, hot, 20, 10, ShadeStyle::HorizontalGradient, 0, 0, 0, *wxBLACK, kSystem,
                    Fixed(0));
    EXPECT_EQ(normal.GetPixelIndex(0, 3), 255);
    EXPECT_EQ(normal.GetPixelIndex(19, 3), 255 * 1 / 20);
}

TEST(ShadeFaces, TintAndColouring) {
    CCeXDib normal, hot;
    BuildShadeFaces(normal, hot, 4, 4, ShadeStyle::Noise, 0, 150, 100, wxColour(0x37, 0x37, 0xFF),
                    kSystem, Fixed(0));
    EXPECT_EQ(normal.GetPaletteEntry(17), wxColour(0x37, 0x37, 0xFF)) << "colouring 100 %";
    EXPECT_EQ(hot.GetPaletteEntry(17), wxColour(255, 255, 255)) << "highlight above 100 %";
}

TEST(ShadeFaces, EveryStyleSurvivesOddSizes) {
    const wxSize sizes[] = {{0, 0},  {0, 10}, {10, 0},   {1, 1},     {12, 1},
                            {1, 12}, {2, 2},  {120, 30}, {40000, 1}, {1, 40000}};
    for (int style = 0; style <= 9; ++style) {
        for (const wxSize &size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << "style " << style << " size " << size.x << "x" << size.y);
            CCeXDib normal, hot;
            BuildShadeFaces(normal, hot, size.x, size.y, style, 8, 20, 5, *wxRED, kSystem,
                            Sequence());
            if (size.x <= 0 || size.y <= 0) {
                EXPECT_TRUE(normal.IsEmpty()) << "no face of no size";
                EXPECT_TRUE(hot.IsEmpty());
            } else {
                EXPECT_EQ(normal.GetWidth(), size.x);
                EXPECT_EQ(hot.GetHeight(), size.y);
            }
        }
    }
}

TEST(ShadeFaces, CylinderEndsAreRounded) {
    // A 12-pixel face has ends of radius 2: its outermost columns are set by the ends.
    CCeXDib normal, hot;
    BuildShadeFaces(normal, hot, 12, 8, ShadeStyle::Cylinder, 0, 0, 0, *wxBLACK, kSystem, Fixed(0));
    EXPECT_EQ(normal.GetPixelIndex(11, 4), 0 + (12 - 11) * 128 / 2) << "right end, middle row";
    EXPECT_EQ(normal.GetPixelIndex(0, 4), 255 - 0) << "left end, middle row";
}

} // namespace
