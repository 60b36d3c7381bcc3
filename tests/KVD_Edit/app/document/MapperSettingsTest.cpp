#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

namespace {

// A project whose root holds the given extra XML after "Data".
struct Project {
    explicit Project(const std::string &extra = "") {
        std::string text = doctest::AuthoredProject("KVD_Edit");
        text.insert(text.rfind("</ORQ_KVD>"), extra);
        kvdtest::WriteFile(dir.File("p.kvd"), text);
        EXPECT_EQ(holder.LoadKvdXmlFile(dir.File("p.kvd").c_str()), 1) << sink.AllTexts();
    }
    std::string Text() {
        std::string out;
        holder.GetKvdXmlFile()->GetFileHnd()->Serialize(out);
        return out;
    }
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    CKvdGprDataFiles holder;
};

std::string Block(const std::string &localWorld, const std::string &lineDisplay = "") {
    return "<Lurra_Mapper_Settings><LocalWorld_Settings>" + localWorld +
           "</LocalWorld_Settings><LineDisplay_Settings>" + lineDisplay +
           "</LineDisplay_Settings></Lurra_Mapper_Settings>";
}

} // namespace

TEST(MapperSettings, ConstructorAndLoadGiveTheSameDefaults) {
    CMapperSettings fresh;
    Project p;
    CMapperSettings loaded;
    loaded.CursorColour = 7;
    loaded.LocalWorld.Zone = 12;
    loaded.LineDisplay.LayerShown[1] = true;
    ASSERT_EQ(loaded.Load(&p.holder), 0);
    EXPECT_EQ(loaded.GPSConfiguration, fresh.GPSConfiguration);
    EXPECT_EQ(loaded.GPSConfiguration,
              "1,1,2,5,1,23,1,1,2,\", \",\"Lat: \",\"Long: \",\"E: \",\"N: \",\"Z: \"");
    EXPECT_FALSE(loaded.GPSFormat.empty());
    EXPECT_EQ(loaded.GPSFormat, fresh.GPSFormat);
    EXPECT_EQ(loaded.CursorColour, 255u);
    EXPECT_EQ(loaded.LocalWorld, fresh.LocalWorld);
    EXPECT_EQ(loaded.LineDisplay, fresh.LineDisplay);
    EXPECT_TRUE(loaded.AutoImport && loaded.FiducialsNotImported);
    // No block in the file: none is created by reading.
    EXPECT_EQ(doctest::CountElements(p.Text(), "Lurra_Mapper_Settings"), 0);

    EXPECT_EQ(loaded.Load(nullptr), -1);
    CKvdGprDataFiles empty;
    EXPECT_EQ(loaded.Save(&empty), -1);
}

TEST(MapperSettings, SavesTheBlockWithItsRecordsAndGroupsInOrder) {
    Project p("<Parameters><Old/></Parameters>");
    CMapperSettings s;
    s.Load(&p.holder);
    ASSERT_EQ(s.Save(&p.holder), 0);
    std::string text = p.Text();
    EXPECT_EQ(doctest::CountElements(text, "Parameters"), 0);
    EXPECT_EQ(doctest::CountElements(text, "Lurra_Mapper_Settings"), 1);
    const size_t block = text.find("<Lurra_Mapper_Settings>");
    const std::string inner = text.substr(block);
    EXPECT_EQ(doctest::CountElements(inner, "CreatedBy"), 1);
    EXPECT_EQ(doctest::CountElements(inner, "ModifiedBy"), 0);
    EXPECT_NE(inner.find("name=\"KVD_Edit\""), std::string::npos);
    EXPECT_NE(inner.find("<Cursor_Colour>255,0,0</Cursor_Colour>"), std::string::npos);
    EXPECT_NE(inner.find("<Zone1>17T</Zone1>"), std::string::npos);
    EXPECT_EQ(inner.find("<Zone>"), std::string::npos); // zone -1 is not written
    EXPECT_NE(inner.find("<Unit>m</Unit>"), std::string::npos);
    EXPECT_NE(inner.find("<Shift_X>0.000000000000000</Shift_X>"), std::string::npos);
    EXPECT_NE(inner.find("<LocalXYActive><Selected>Y</Selected><Line_Style>0</Line_Style>"
                         "<Line_Weight>2</Line_Weight><Line_Color>255,0,0</Line_Color>"
                         "<MarkerStyle>3</MarkerStyle><MarkerSize>5</MarkerSize>"
                         "<MarkerColor>255,0,0</MarkerColor></LocalXYActive>"),
              std::string::npos);
    EXPECT_NE(inner.find("<LocalXYInActive><Line_Style>"), std::string::npos);

    for (int i = 0; i < 2; ++i)
        s.Save(&p.holder);
    text = p.Text();
    const std::string after = text.substr(text.find("<Lurra_Mapper_Settings>"));
    EXPECT_EQ(doctest::CountElements(after, "ModifiedBy"), 2);
    EXPECT_EQ(doctest::CountElements(after, "General"), 1);
    EXPECT_EQ(doctest::CountElements(after, "LineDisplay_Settings"), 1);
    const size_t g = after.find("<General>");
    const size_t lw = after.find("<LocalWorld_Settings>");
    const size_t ld = after.find("<LineDisplay_Settings>");
    EXPECT_LT(after.find("</CreatedBy>"), g);
    EXPECT_LT(g, lw);
    EXPECT_LT(lw, ld);
    EXPECT_NE(after.find("comment=\"Updated Parameters\""), std::string::npos);
}

TEST(MapperSettings, ReadsTextsAsTheFileWroteThem) {
    Project p(Block("<AutoImport>y</AutoImport><FiducialsNotImported>Yes</FiducialsNotImported>"
                    "<Zone>5K</Zone><Zone1>12S</Zone1><Zone2>-1T</Zone2><Unit>ft</Unit>"
                    "<EnableGPS>abc</EnableGPS><TwoPointDefinition>Y</TwoPointDefinition>"
                    "<LastGPSView>4</LastGPSView><LocalWorld_Settings>1</LocalWorld_Settings>"
                    "<Rotation>0.5rad</Rotation><NORTHING_LONGITUDE_P1>10.25"
                    "</NORTHING_LONGITUDE_P1><EASTING_LATITUDE_P1>-20.5</EASTING_LATITUDE_P1>",
                    "<LocalXYActive><Line_Color>0,0,255</Line_Color><Line_Weight>4</Line_Weight>"
                    "</LocalXYActive><GPS_TraceActive><Selected>y</Selected><Line_Style>0"
                    "</Line_Style><MarkerSize>9</MarkerSize></GPS_TraceActive>"
                    "<Raw_GPSInActive><Line_Weight>3</Line_Weight></Raw_GPSInActive>"));
    CMapperSettings s;
    s.Load(&p.holder);
    const SLocalWorldDef &lw = s.LocalWorld;
    EXPECT_TRUE(s.AutoImport);
    EXPECT_FALSE(s.FiducialsNotImported);
    EXPECT_EQ(lw.Zone, 5);
    EXPECT_EQ(lw.ZoneLetter, 'K');
    EXPECT_EQ(lw.ZoneA, 5); // two points: the first pair follows the zone
    EXPECT_EQ(lw.ZoneLetterA, 'K');
    EXPECT_EQ(lw.RefPoint[0].Zone, 12);
    EXPECT_EQ(lw.RefPoint[0].ZoneLetter, 'S');
    EXPECT_EQ(lw.RefPoint[1].Zone, -1);
    EXPECT_EQ(lw.RefPoint[1].ZoneLetter, 'T');
    EXPECT_EQ(lw.Unit, 5);
    EXPECT_EQ(lw.EnableGPS, 0);
    EXPECT_EQ(lw.LastGPSView, 4);
    EXPECT_EQ(lw.GlobalKind, 1);
    EXPECT_DOUBLE_EQ(lw.Rotation, 0.5);
    EXPECT_DOUBLE_EQ(lw.RefPoint[0].NorthingOrLatitude, 10.25);
    EXPECT_DOUBLE_EQ(lw.RefPoint[0].EastingOrLongitude, -20.5);
    // The radar lines' Active style is the stored one, its missing values the defaults; trace
    // GPS keeps its flag and size but draws nothing.
    SLineDisplayEntry localActive = SLineDisplayTable().Entry[0];
    localActive.LineColour = 0xFF0000; // blue
    localActive.LineWidth = 4;
    EXPECT_EQ(s.LineDisplay.Entry[0], localActive);
    EXPECT_EQ(s.LineDisplay.Entry[1], SLineDisplayTable().Entry[1]) << "no element: defaults";
    EXPECT_TRUE(s.LineDisplay.LayerShown[1]);
    EXPECT_EQ(s.LineDisplay.Entry[2].LineStyle, 5);
    EXPECT_EQ(s.LineDisplay.Entry[2].MarkerSize, 9);
    EXPECT_EQ(s.LineDisplay.Entry[5].LineWidth, 3);
    // Reading added the missing groups and entries in memory only.
    EXPECT_EQ(doctest::CountElements(p.Text(), "General"), 1);
    EXPECT_EQ(doctest::CountElements(p.Text(), "WhiskersInActive"), 1);

    Project m(Block("<Unit>mm</Unit><Zone>17</Zone>"));
    s.Load(&m.holder);
    EXPECT_EQ(s.LocalWorld.Unit, 1);
    EXPECT_EQ(s.LocalWorld.Zone, 17);
    EXPECT_EQ(s.LocalWorld.ZoneLetter, 'T');
    EXPECT_EQ(s.LocalWorld.ZoneA, -1); // one-point definition: the first pair stays
}

TEST(MapperSettings, RoundTripsEveryStoredValue) {
    Project p;
    CMapperSettings s;
    s.Load(&p.holder);
    s.CursorColour = 0x123456;
    s.AutoImport = false;
    s.GPSConfiguration = "1,1,2,5,1,4,1,1,2,\", \",\"Lat: \",\"Long: \",\"E: \",\"N: \",\"Z: \"";
    SLocalWorldDef &lw = s.LocalWorld;
    lw.EnableGPS = 1;
    lw.TwoPointDefinition = true;
    lw.GlobalKind = 1;
    lw.Zone = 33;
    lw.ZoneLetter = 'U';
    lw.FitGrid = false;
    lw.RatioCheckBox = false;
    lw.ShiftX = -1234.5;
    lw.ShiftY = 1e-9;
    lw.Rotation = 3.141592653589793;
    lw.Unit = 5;
    lw.RefPoint[1] = {1.5, -2.25, 5000000.125, 400000.5, 33, 'U'};
    lw.RefPoint[0].ZoneLetter = '\0'; // as a reset leaves it: no NUL is written
    s.LineDisplay.LayerShown[3] = false;
    s.LineDisplay.LayerShown[0] = false;
    s.LineDisplay.Entry[0] = {1, 0x00A000, 6, 0, 0x0000FF, 20};
    s.LineDisplay.Entry[1] = {4, 0x808080, 9, 2, 0x123456, 1};
    s.LineDisplay.Entry[6] = {3, 0xABCDEF, 4, 2, 0x010203, 12};
    ASSERT_EQ(s.Save(&p.holder), 0);
    EXPECT_EQ(s.LocalWorld.Ellipsoid, 4); // refreshed from the configuration
    ASSERT_EQ(p.holder.SaveKvdXmlFile(nullptr), 0);
    EXPECT_EQ(kvdtest::ReadFile(p.dir.File("p.kvd")).find('\0'), std::string::npos);

    CKvdGprDataFiles again;
    ASSERT_EQ(again.LoadKvdXmlFile(p.dir.File("p.kvd").c_str()), 1);
    CMapperSettings r;
    r.Load(&again);
    SLocalWorldDef expected = lw;
    expected.ZoneA = 33; // two points: copied from the zone on load
    expected.ZoneLetterA = 'U';
    expected.RefPoint[0].ZoneLetter = 'T';
    EXPECT_EQ(r.LocalWorld, expected);
    EXPECT_EQ(r.CursorColour, 0x123456u);
    EXPECT_FALSE(r.AutoImport);
    EXPECT_EQ(r.GPSConfiguration, s.GPSConfiguration);
    EXPECT_EQ(r.LineDisplay, s.LineDisplay);
}

// The radar lines' styles load as they were saved. An entry whose values are missing takes the
// defaults for them; an entry holding a value that is no number as the file writes it, or one
// outside what the dialog offers, takes its defaults as a whole, and so does the inactive one.
TEST(MapperSettings, LoadsTheStoredRadarLineStylesUnlessDamaged) {
    const SLineDisplayEntry active = SLineDisplayTable().Entry[0];
    const auto element = [](const std::string &values) {
        return "<LocalXYActive><Selected>N</Selected>" + values +
               "</LocalXYActive><LocalXYInActive>" + values + "</LocalXYInActive>";
    };
    const std::string all = "<Line_Style>2</Line_Style><Line_Weight>5</Line_Weight>"
                            "<Line_Color>0,160,0</Line_Color><MarkerStyle>1</MarkerStyle>"
                            "<MarkerSize>12</MarkerSize><MarkerColor>1,2,3</MarkerColor>";
    const SLineDisplayEntry stored{2, 0x00A000, 5, 1, 0x030201, 12};
    struct Row {
        const char *name;
        std::string values;
        SLineDisplayEntry expected; // of the Active entry; the InActive one follows suit
        bool fromDefaults;
    };
    const Row rows[] = {
        {"every value stored", all, stored, false},
        {"blanks around numbers",
         "<Line_Weight> 7 </Line_Weight><Line_Color>9, 8 ,7</Line_Color>",
         {0, 0x070809, 7, 3, 0x0000FF, 5},
         false},
        {"extremes offered",
         "<Line_Style>5</Line_Style><Line_Weight>9</Line_Weight>"
         "<MarkerSize>1</MarkerSize><MarkerColor>255,255,255</MarkerColor>",
         {5, 0x0000FF, 9, 3, 0xFFFFFF, 1},
         false},
        {"no values", "", active, true},
        {"style is no number", "<Line_Style>abc</Line_Style>" + all, active, true},
        {"style beyond no line", "<Line_Style>6</Line_Style>", active, true},
        {"negative width", "<Line_Weight>-1</Line_Weight>", active, true},
        {"width beyond the picker", "<Line_Weight>10</Line_Weight>", active, true},
        {"width with a fraction", "<Line_Weight>2.5</Line_Weight>", active, true},
        {"marker style 4", "<MarkerStyle>4</MarkerStyle>", active, true},
        {"marker size 0", "<MarkerSize>0</MarkerSize>", active, true},
        {"marker size with text", "<MarkerSize>5x</MarkerSize>", active, true},
        {"huge number", "<MarkerSize>99999999999999999999</MarkerSize>", active, true},
        {"two colour parts", "<Line_Color>0,0</Line_Color>", active, true},
        {"four colour parts", "<Line_Color>1,2,3,4</Line_Color>", active, true},
        {"colour part beyond 255", "<MarkerColor>0,0,256</MarkerColor>", active, true},
        {"empty colour part", "<Line_Color>1,,3</Line_Color>", active, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Project p(Block("", element(row.values)));
        CMapperSettings s;
        ASSERT_EQ(s.Load(&p.holder), 0);
        EXPECT_FALSE(s.LineDisplay.LayerShown[LINE_KIND_LOCAL_XY]) << "the flag is the file's";
        EXPECT_EQ(s.LineDisplay.Entry[0], row.expected);
        if (row.fromDefaults) {
            EXPECT_EQ(s.LineDisplay.Entry[1], SLineDisplayTable().Entry[1]);
        } else {
            EXPECT_NE(s.LineDisplay.Entry[1], SLineDisplayTable().Entry[1]);
        }
    }
}
