#include "orq_utils/MessageSink.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(MessageSink, CaptureRecordsAndAnswersFromScript) {
    kvdtest::CaptureSink sink;
    sink.Answer(ORQ::IDNO);
    EXPECT_EQ(ORQ::ShowMessage("Save x ?", ORQ::MB_YESNOCANCEL), ORQ::IDNO);
    EXPECT_EQ(ORQ::ShowMessage("again", ORQ::MB_YESNO | ORQ::MB_DEFBUTTON2), ORQ::IDNO);
    EXPECT_EQ(ORQ::ShowMessage("plain"), ORQ::IDOK);
    ASSERT_EQ(sink.Messages().size(), 3u);
    EXPECT_EQ(sink.Messages()[0].text, "Save x ?");
}

TEST(MessageSink, RemovedCaptureRestoresPreviousSink) {
    ORQ::IMessageSink *before = ORQ::GetMessageSink();
    {
        kvdtest::CaptureSink sink;
        EXPECT_EQ(ORQ::GetMessageSink(), &sink);
    }
    EXPECT_EQ(ORQ::GetMessageSink(), before);
}
