#include "KVD_Edit/app/grid/GridRowFormatter.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(GridRowFormatter, ColumnsHaveTheirTitlesAndWidths) {
    const char *titles[] = {"Grid Name", "Line Name", "Orientation", "Xmin",    "Xmax",     "Ymin",
                            "Ymax",      "Length",    "Step",        "Edit",    "GPR Data", "GPS",
                            "TOPO",      "SetIndex",  "Line Index",  "NoTraces"};
    for (int i = 0; i < CGridRowFormatter::COLUMN_COUNT; ++i) {
        SCOPED_TRACE(titles[i]);
        EXPECT_STREQ(titles[i], CGridRowFormatter::kColumns[i].title);
    }
    EXPECT_EQ(0, CGridRowFormatter::kColumns[CGridRowFormatter::COL_TOPO].width);
    EXPECT_EQ(100, CGridRowFormatter::kColumns[CGridRowFormatter::COL_GPR_DATA].width);
}

TEST(GridRowFormatter, LengthsShowInTheDisplayUnit) {
    SGridInfo r;
    r.unit = ORQ::UNIT_M;
    r.xMin = 1.0;
    r.step = 0.05;
    EXPECT_EQ("1.000", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_M));
    EXPECT_EQ("3.281", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_FT));
    EXPECT_EQ("0.164042",
              CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_STEP, ORQ::UNIT_FT));
    EXPECT_EQ("0.050000",
              CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_STEP, ORQ::UNIT_M));
    // A row without a known unit shows its value rather than 0.
    r.unit = ORQ::UNIT_NONE;
    EXPECT_EQ("1.000", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_FT));
}

TEST(GridRowFormatter, CodesAndFlagsShowAsTexts) {
    SGridInfo r;
    const int orient = CGridRowFormatter::COL_ORIENTATION;
    const char *orientations[] = {"NA", "S", "X", "Y", ""};
    for (int code = 0; code < 5; ++code) {
        SCOPED_TRACE(code);
        r.orientation = code;
        EXPECT_EQ(orientations[code], CGridRowFormatter::FormatCell(r, orient, ORQ::UNIT_M));
    }
    const int edit = CGridRowFormatter::COL_EDIT;
    std::pair<char, const char *> flags[] = {{'R', "RLD"}, {'Y', "Yes"}, {'N', "No"}, {'?', "No"}};
    for (auto [flag, text] : flags) {
        SCOPED_TRACE(text);
        r.editFlag = flag;
        EXPECT_EQ(text, CGridRowFormatter::FormatCell(r, edit, ORQ::UNIT_M));
    }
    r.gpsStatus = 2;
    r.topoStatus = 3;
    r.setIndex = -2;
    r.lineIndex = 7;
    r.numTraces = 301;
    r.gpsFileName = ".\\a.GPS";
    r.topoFileName = ".\\a.CTP";
    r.hdrGpsType = 3;
    const char *expected[] = {"2", "3", "-2", "7", "301", ".\\a.GPS", ".\\a.CTP", "3"};
    for (int c = CGridRowFormatter::COL_GPS; c <= CGridRowFormatter::FIELD_HDR_GPS_TYPE; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(expected[c - CGridRowFormatter::COL_GPS],
                  CGridRowFormatter::FormatCell(r, c, ORQ::UNIT_M));
    }
    EXPECT_EQ("", CGridRowFormatter::FormatCell(r, CGridRowFormatter::FIELD_HDR_GPS_TYPE + 1,
                                                ORQ::UNIT_M));
}

TEST(GridRowFormatter, StatusCodesPickTheirMarks) {
    EXPECT_EQ(SM_NONE, StatusMarkFor(0));
    EXPECT_EQ(SM_ATTACHED, StatusMarkFor(1));
    EXPECT_EQ(SM_BESIDE, StatusMarkFor(2));
    EXPECT_EQ(SM_FAILED, StatusMarkFor(3));
    EXPECT_EQ(SM_IN_TRACES, StatusMarkFor(4));
    EXPECT_EQ(SM_FEW_FIXES, StatusMarkFor(5));
    EXPECT_EQ(SM_BESIDE, StatusMarkFor(9));
}

TEST(GridRowFormatter, LengthsRoundAsPrintfDoes) {
    // Halfway cases round to even as the C library's "%.3f" and "%.6f" do, a negative zero keeps
    // its sign, and large values show all their digits.
    const double values[] = {0.0625,   -0.0625, 2.0005, 1.0000005, 0.1234565, -0.0,
                             -0.00049, 1e20,    -1e300, 1234.5675, 5e-324,    4503599627370497.5};
    SGridInfo r;
    r.unit = ORQ::UNIT_M;
    for (double v : values) {
        SCOPED_TRACE(v);
        r.xMin = v;
        r.step = v;
        char expected[400];
        std::snprintf(expected, sizeof expected, "%.3f", v);
        EXPECT_EQ(expected,
                  CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_M));
        std::snprintf(expected, sizeof expected, "%.6f", v);
        EXPECT_EQ(expected,
                  CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_STEP, ORQ::UNIT_M));
    }
}
