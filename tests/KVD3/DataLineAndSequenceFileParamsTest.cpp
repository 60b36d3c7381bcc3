#include "KVD3/DataLineAndSequenceFileParams.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using ORQ::CDataLineAndSequenceFileParams;

TEST(DataFileNumbers, LineAndSequenceFromTheName) {
    struct Row {
        const char *name;
        const char *path;
        int line;
        int sequence;
        const char *file;
        const char *extension;
    };
    const std::string longPath = "/x/" + std::string(300, 'A') + "C6B4.DT1";
    const Row rows[] = {
        {"windows path", "D:\\data\\GRIDC12B3.DT1", 12, 3, "GRIDC12B3", ".DT1"},
        {"lower-case header", "/survey/gridc4b2.hd", 4, 2, "GRIDC4B2", ".HD"},
        {"no letter B", "LINE5.DT1", 1, 1, "LINE5", ".DT1"},
        {"other extension", "/x/GRIDC3B2.GPS", 1, 1, "GRIDC3B2", ".GPS"},
        {"sensor file", "/x/gridc7b2.sen", 7, 2, "GRIDC7B2", ".SEN"},
        {"B before C, digits after B", "/x/AB3C5.DT1", 0, 3, "AB3C5", ".DT1"},
        {"B before C, no digits after B", "/x/ABXC5.DT1", 1, 1, "ABXC5", ".DT1"},
        {"line number beyond int", "/x/GRIDC99999999999B1.DT1", INT_MAX, 1, "GRIDC99999999999B1",
         ".DT1"},
        {"sequence beyond int", "/x/C2B99999999999999.hd", 2, INT_MAX, "C2B99999999999999", ".HD"},
        {"no extension", "/x/GRIDC2B2", 1, 1, "GRIDC2B2", ""},
        {"dot in a folder", "/x.y/GRIDC2B2", 1, 1, "GRIDC2B2", ""},
        {"name longer than 256", longPath.c_str(), 6, 4, nullptr, ".DT1"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CDataLineAndSequenceFileParams params;
        EXPECT_EQ(1, params.ParseFileName(row.path));
        EXPECT_EQ(row.line, params.m_LineNumber);
        EXPECT_EQ(row.sequence, params.m_SequenceNumber);
        if (row.file) {
            EXPECT_EQ(row.file, params.m_FileName);
        }
        EXPECT_EQ(row.extension, params.m_Extension);
    }
}

TEST(DataFileNumbers, ASecondNameDoesNotKeepTheFirstNumbers) {
    CDataLineAndSequenceFileParams params;
    params.ParseFileName("GRIDC12B3.DT1");
    params.ParseFileName("SURVEY.GPS");
    EXPECT_EQ(1, params.m_LineNumber);
    EXPECT_EQ(1, params.m_SequenceNumber);
}
