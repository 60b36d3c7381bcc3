#include "KVD3/LineOffsetDlg.h"

#include "orq_utils/MessageSink.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using ORQ::CLineOffsetDlg;
using ORQ::CStr;

TEST(LineOffsetDlg, AcceptsOffsetsFromZeroToOneThousandMetres) {
    struct Row {
        const char *text;
        bool accepted;
        double value;        // when accepted
        const char *message; // when refused
    };
    const Row rows[] = {
        {"2.5", true, 2.5, nullptr},
        {" 1000 ", true, 1000, nullptr},
        {"0", true, 0, nullptr},
        {"-0", true, 0, nullptr},
        {"1e2", true, 100, nullptr},
        {"1500", false, 0, CLineOffsetDlg::kOutOfRange},
        {"-0.5", false, 0, CLineOffsetDlg::kOutOfRange},
        {"1000.0001", false, 0, CLineOffsetDlg::kOutOfRange},
        {"", false, 0, CLineOffsetDlg::kNotANumber},
        {"abc", false, 0, CLineOffsetDlg::kNotANumber},
        {"2,5", false, 0, CLineOffsetDlg::kNotANumber},
        {"2.5 m", false, 0, CLineOffsetDlg::kNotANumber},
        {"nan", false, 0, CLineOffsetDlg::kNotANumber},
        {"inf", false, 0, CLineOffsetDlg::kNotANumber},
        {"0x10", false, 0, CLineOffsetDlg::kNotANumber},
        {"1e999", false, 0, CLineOffsetDlg::kNotANumber},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        kvdtest::CaptureSink sink;
        CLineOffsetDlg dialog;
        CStr text = row.text;
        EXPECT_EQ(row.accepted ? 1 : 0, dialog.DoDataExchange(text, true));
        if (row.accepted) {
            EXPECT_DOUBLE_EQ(row.value, dialog.m_LineOffset);
            EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
        } else {
            EXPECT_EQ(0.1, dialog.m_LineOffset) << "a refused text leaves the offset";
            ASSERT_EQ(1u, sink.Messages().size());
            EXPECT_EQ(row.message, sink.Messages()[0].text);
            EXPECT_EQ(ORQ::MB_ICONWARNING, sink.Messages()[0].style & ORQ::MB_ICONMASK);
        }
    }
}

TEST(LineOffsetDlg, ShowsAndReadsNumbersInTheCLocale) {
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    CLineOffsetDlg dialog;
    CStr text;
    EXPECT_EQ(1, dialog.DoDataExchange(text, false));
    EXPECT_EQ("0.1", text);
    text = "2.5";
    EXPECT_EQ(1, dialog.DoDataExchange(text, true));
    EXPECT_EQ(2.5, dialog.m_LineOffset);
    dialog.m_LineOffset = 1.0 / 3.0;
    dialog.DoDataExchange(text, false);
    EXPECT_EQ("0.333333333333333", text);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(LineOffsetDlg, WithoutAPresenterNothingIsAskedAndThePresetStays) {
    const CLineOffsetDlg::Presenter before = CLineOffsetDlg::SetPresenter(nullptr);
    CLineOffsetDlg dialog;
    EXPECT_EQ(ORQ::IDCANCEL, dialog.DoModal());
    EXPECT_EQ(0.1, dialog.m_LineOffset);

    int shown = 0;
    CLineOffsetDlg::SetPresenter([&shown](CLineOffsetDlg &d) {
        ++shown;
        CStr text = "7.25";
        return d.DoDataExchange(text, true) ? ORQ::IDOK : ORQ::IDCANCEL;
    });
    EXPECT_EQ(ORQ::IDOK, dialog.DoModal());
    EXPECT_EQ(1, shown);
    EXPECT_EQ(7.25, dialog.m_LineOffset);
    CLineOffsetDlg::SetPresenter(before);
}
