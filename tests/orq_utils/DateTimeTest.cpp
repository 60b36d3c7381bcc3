#include "orq_utils/DateTime.h"

#include <gtest/gtest.h>

#include <ctime>

using ORQ::CDateTime;

TEST(DateTime, DefaultIsTheValidZeroDate) {
    CDateTime t;
    EXPECT_TRUE(t.IsValid());
    EXPECT_EQ(t.GetStatus(), CDateTime::valid);
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "1899-12-30 00:00:00");
}

TEST(DateTime, FormatsFixedLayouts) {
    const CDateTime t(2024, 3, 5, 7, 8, 9);
    ASSERT_TRUE(t.IsValid());
    EXPECT_EQ(t.Format("%Y-%m-%d"), "2024-03-05");
    EXPECT_EQ(t.Format("%H:%M:%S"), "07:08:09");
    EXPECT_EQ(t.Format("Unknown job %Y-%m-%d %H:%M:%S"), "Unknown job 2024-03-05 07:08:09");
    EXPECT_EQ(t.Format("%a %b %j"), "Tue Mar 065");
    EXPECT_EQ(t.Format(""), "");
}

TEST(DateTime, ParsesTheFormsItWrites) {
    CDateTime t;
    EXPECT_TRUE(t.ParseDateTime("2024-03-05 07:08:09"));
    EXPECT_EQ(t, CDateTime(2024, 3, 5, 7, 8, 9));
    EXPECT_TRUE(t.ParseDateTime(" 2024-3-5  7:08:09 \r\n"));
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "2024-03-05 07:08:09");
    EXPECT_TRUE(t.ParseDateTime("2000-02-29"));
    EXPECT_EQ(t.Format("%H:%M:%S"), "00:00:00");
    EXPECT_TRUE(t.ParseDateTime("23:59:59"));
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "1899-12-30 23:59:59");
    EXPECT_TRUE(t.Parse("22/08/2006", "%d/%m/%Y"));
    EXPECT_EQ(t.Format("%Y-%m-%d"), "2006-08-22");
}

TEST(DateTime, RefusesWhatDoesNotParseAndReportsItInvalid) {
    CDateTime t;
    for (const char *bad : {"", "2024-02-30", "2023-02-29 00:00:00", "2024-13-01", "24:00:00",
                            "2024-03-05 07:08", "2024-03-05x", "hello", "12:60:00", "date time"}) {
        EXPECT_FALSE(t.ParseDateTime(bad)) << bad;
        EXPECT_FALSE(t.IsValid()) << bad;
    }
    EXPECT_EQ(t.Format("%Y-%m-%d"), "Invalid DateTime");
    EXPECT_FALSE(t.Parse("2024", "%Q"));
    EXPECT_FALSE(CDateTime(2024, 2, 30, 0, 0, 0).IsValid());
    EXPECT_FALSE(CDateTime(99, 1, 1, 0, 0, 0).IsValid());
    t.SetStatus(CDateTime::valid);
    EXPECT_TRUE(t.IsValid());
}

TEST(DateTime, CurrentTimeIsLocalAndOrdered) {
    const std::time_t before = std::time(nullptr);
    const CDateTime now = CDateTime::GetCurrentTime();
    std::tm local{};
    localtime_r(&before, &local);
    EXPECT_TRUE(now.IsValid());
    EXPECT_EQ(now.GetYear(), local.tm_year + 1900);
    EXPECT_TRUE(CDateTime(2024, 1, 1, 0, 0, 0) < now);
    EXPECT_TRUE(CDateTime(2024, 1, 1, 0, 0, 1) > CDateTime(2024, 1, 1, 0, 0, 0));
    EXPECT_NE(CDateTime(2024, 1, 1, 0, 0, 1), CDateTime(2024, 1, 1, 0, 0, 0));
}
