// Reading both files of a line while other programs write them: a read that met a write between
// its two files is read again, so every pair a reader keeps is one write's.
#include "Tamsel/LinePair.h"

#include "Tamsel/DT1File.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/ReplacementRecord.h"
#include "tests/support/HeldWriter.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A line whose header and first trace carry the number of the write that made them; the counts
// never change, so a mixed pair agrees in size and only the numbers tell it.
struct STaggedLine {
    std::string hd, dt1;
    explicit STaggedLine(long tag) {
        kvdtest::SRadarLine line;
        line.traces = 40;
        line.samples = 64;
        line.synthetic = false;
        line.extraHeaderLines = {"WRITE TAG = " + std::to_string(tag)};
        line.fiducials = {{0, "tag " + std::to_string(tag)}};
        hd = kvdtest::RadarHeaderText(line);
        dt1 = kvdtest::RadarTraceBytes(line);
    }
};

bool WritePair(const std::string &base, long tag) {
    const STaggedLine pair(tag);
    ORQ::CFileGroupReplacement group(ORQ::kLineFileExtensions);
    ORQ::CFileReplacement &d = group.Add(base + ".dt1");
    ORQ::CFileReplacement &h = group.Add(base + ".hd");
    return d.Open() && d.Write(pair.dt1.data(), pair.dt1.size()) && d.Finish() && h.Open() &&
           h.Write(pair.hd.data(), pair.hd.size()) && h.Finish() && group.Commit();
}

// The write number the header's kept line names; -1 without one.
long HeaderTag(const ORQ::Tamsel &header) {
    for (int i = 0; const char *line = header.GetComment(i); ++i)
        if (std::strncmp(line, "WRITE TAG", 9) == 0)
            if (const char *equals = std::strchr(line, '='))
                return std::atol(equals + 1);
    return -1;
}

long TraceTag(const CDT1File &traces) {
    const std::string text = traces.GetFiducial(0).m_text;
    return text.compare(0, 4, "tag ") == 0 ? std::atol(text.c_str() + 4) : -1;
}

// A process writing the pair again and again, without pause, each write with its own number.
pid_t StartWriter(const std::string &base, long first) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (long tag = first;; ++tag)
            WritePair(base, tag);
    }
    return pid;
}

} // namespace

// Two writers of one pair without pause and a reader: about 20 s of loads, every one that
// succeeds holds the header and trace file of one write, and most succeed.
TEST(LinePair, AReaderBesideTwoWritersKeepsOnlyPairsOneWriteMade) {
    kvdtest::TempDir dir;
    kvdtest::CaptureSink sink;
    const std::string base = dir.File("X03");
    ASSERT_TRUE(WritePair(base, 0));
    const pid_t writers[] = {StartWriter(base, 1000000000), StartWriter(base, 2000000000)};
    int loaded = 0, busy = 0, failed = 0;
    std::vector<std::string> mixed;
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < end) {
        ORQ::Tamsel header;
        CDT1File traces;
        const int result = ORQ::LoadLinePair(base + ".hd", base + ".dt1", header, traces);
        if (result == ORQ::LINE_PAIR_BUSY) {
            ++busy;
            continue;
        }
        if (result != ORQ::LINE_PAIR_LOADED) {
            ++failed;
            continue;
        }
        ++loaded;
        if (HeaderTag(header) != TraceTag(traces) && mixed.size() < 10)
            mixed.push_back(std::to_string(HeaderTag(header)) + " over " +
                            std::to_string(TraceTag(traces)));
    }
    for (const pid_t pid : writers) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    EXPECT_TRUE(mixed.empty()) << testing::PrintToString(mixed);
    EXPECT_EQ(failed, 0) << sink.AllTexts();
    EXPECT_GT(loaded, 500) << "busy " << busy;
    EXPECT_LT(busy, loaded / 10);
    std::printf("%d pairs loaded, %d busy\n", loaded, busy);
}

// A line whose writer stays between its two renames longer than the writers' wait is reported
// busy, in the words of a refused write, and nothing of it is kept; once the writer is done the
// reader loads its pair.
TEST(LinePair, ALineAWriterKeepsIsReportedBusy) {
    using Group = ORQ::CFileGroupReplacement;
    kvdtest::TempDir dir;
    kvdtest::CaptureSink sink;
    const std::string base = dir.File("X03");
    ASSERT_TRUE(WritePair(base, 7));
    kvdtest::CHeldWriter writer([&] { return WritePair(base, 8); }, {Group::STEP_FIRST_RENAME});
    ASSERT_EQ(writer.WaitHeld(10000), Group::STEP_FIRST_RENAME);
    Group::SetLockWait(300);
    ORQ::Tamsel header;
    CDT1File traces;
    const int result = ORQ::LoadLinePair(base + ".hd", base + ".dt1", header, traces);
    Group::SetLockWait(-1);
    EXPECT_EQ(result, ORQ::LINE_PAIR_BUSY);
    EXPECT_FALSE(header.IsLoaded());
    EXPECT_EQ(traces.TrcCnt(), 0u);
    ASSERT_EQ(sink.Messages().size(), 1u) << sink.AllTexts();
    EXPECT_NE(sink.Messages()[0].text.find(
                  "was not read: another program is writing the files of the line X03"),
              std::string::npos)
        << sink.AllTexts();
    writer.Go();
    EXPECT_EQ(writer.Wait(10000), 0);
    ASSERT_EQ(ORQ::LoadLinePair(base + ".hd", base + ".dt1", header, traces),
              ORQ::LINE_PAIR_LOADED);
    EXPECT_EQ(HeaderTag(header), 8);
    EXPECT_EQ(TraceTag(traces), 8);
}

// The loop of readers that read a line their own way: a read that met a write, or that a header
// read before it no longer vouches for, is read again and serves; a read that stops is the last;
// a line its writer keeps is busy after the first read.
TEST(LinePair, ReadLinePairReadsAgainUntilWholeOrStopped) {
    using Group = ORQ::CFileGroupReplacement;
    enum EWhen { NONE, WRITE_DURING_READ, WRITE_AFTER_HEADER, STOP, WRITER_KEEPS_LINE };
    const struct {
        const char *name;
        EWhen when;
        ORQ::ELinePairRead result;
        int reads;
        long lastTag; // the write number the last read's header names
    } rows[] = {
        {"a write between the two files", WRITE_DURING_READ, ORQ::PAIR_READ_WHOLE, 2, 8},
        {"a header read before a write", WRITE_AFTER_HEADER, ORQ::PAIR_READ_WHOLE, 2, 8},
        {"a read that stops", STOP, ORQ::PAIR_READ_STOPPED, 1, 7},
        {"a writer between its renames", WRITER_KEEPS_LINE, ORQ::PAIR_READ_BUSY, 1, 7},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        kvdtest::TempDir dir;
        kvdtest::CaptureSink sink;
        const std::string base = dir.File("X03");
        ASSERT_TRUE(WritePair(base, 7));
        ORQ::Tamsel before; // read before the pair, for the first read to be checked against
        ASSERT_FALSE(before.Load((base + ".hd").c_str(), ORQ::ST_FILE));
        if (row.when == WRITE_AFTER_HEADER) {
            ASSERT_TRUE(WritePair(base, 8));
        }
        std::unique_ptr<kvdtest::CHeldWriter> writer;
        if (row.when == WRITER_KEEPS_LINE) {
            writer = std::make_unique<kvdtest::CHeldWriter>(
                [&] { return WritePair(base, 8); },
                std::initializer_list<Group::EStep>{Group::STEP_FIRST_RENAME});
            ASSERT_EQ(writer->WaitHeld(10000), Group::STEP_FIRST_RENAME);
            Group::SetLockWait(300);
        }
        int reads = 0;
        long lastTag = -1;
        const auto read = [&](const ORQ::CLinePairCheck &, int n) {
            EXPECT_EQ(n, reads++) << "reads are counted from 0";
            ORQ::Tamsel header;
            header.Load((base + ".hd").c_str(), ORQ::ST_FILE);
            lastTag = HeaderTag(header);
            if (row.when == WRITE_DURING_READ && n == 0) {
                EXPECT_TRUE(WritePair(base, 8));
            }
            return row.when != STOP;
        };
        const ORQ::ELinePairRead result =
            ORQ::ReadLinePair(base + ".hd", base + ".dt1",
                              row.when == WRITE_AFTER_HEADER ? &before.FileState() : nullptr, read);
        Group::SetLockWait(-1);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(reads, row.reads);
        EXPECT_EQ(lastTag, row.lastTag);
        EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    }
}
