// Several processes on one line's .hd and .dt1: writers of the line take turns, the open's tidy
// acts on a line only while no writer has it, and whatever is killed when, the next reader
// finds one write's pair whole and no record left.
#include "orq_utils/FileGroupReplacement.h"

#include "orq_utils/FolderListing.h"
#include "orq_utils/ReplacementLock.h"
#include "orq_utils/ReplacementRecord.h"
#include "tests/support/HeldWriter.h"
#include "tests/support/KilledSave.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <set>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using kvdtest::CHeldWriter;
using kvdtest::FileExists;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using ORQ::CFileGroupReplacement;
using ORQ::CFileReplacement;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> kLine = {"hd", "dt1"};

// Writes the line GPS01 of folder as one group with both files tagged, the trace file first
// as the GPS write-back writes it; the Commit's result.
bool WriteTagged(const std::string &folder, const std::string &tag) {
    CFileGroupReplacement group(kLine);
    const std::string dt1 = "tag " + tag + "\n" + std::string(2048, 't');
    const std::string hd = "tag " + tag + "\n";
    CFileReplacement &d = group.Add(folder + "/GPS01.dt1");
    CFileReplacement &h = group.Add(folder + "/GPS01.hd");
    return d.Open() && d.Write(dt1.data(), dt1.size()) && d.Finish() && h.Open() &&
           h.Write(hd.data(), hd.size()) && h.Finish() && group.Commit();
}

// The tag a file of the line carries; empty when it has none.
std::string TagOf(const std::string &path) {
    const std::string text = ReadFile(path);
    const size_t end = text.find('\n');
    return text.compare(0, 4, "tag ") == 0 && end != std::string::npos ? text.substr(4, end - 4)
                                                                       : std::string();
}

// The pair as it lies on disk: the tag of both files, or how it is torn.
std::string PairOnDisk(const std::string &folder) {
    const std::string hd = TagOf(folder + "/GPS01.hd"), dt1 = TagOf(folder + "/GPS01.dt1");
    if (!hd.empty() && hd == dt1)
        return hd;
    return "mixed: header of \"" + hd + "\", trace file of \"" + dt1 + "\"";
}

// Reads the line as its readers do (each file's pending replacement finished first); pending
// receives whether a record was carried out.
std::string ReadLine(const std::string &folder, bool *pending = nullptr) {
    const auto hd = ORQ::FinishPendingReplacementOf(folder + "/GPS01.hd", kLine);
    const auto dt1 = ORQ::FinishPendingReplacementOf(folder + "/GPS01.dt1", kLine);
    if (pending)
        *pending = hd == ORQ::PENDING_FINISHED || dt1 == ORQ::PENDING_FINISHED;
    return PairOnDisk(folder);
}

std::string RecordOf(const std::string &folder) {
    return ORQ::ReplacementRecordPath(folder + "/GPS01.hd");
}

// The names in folder besides the line's two files.
std::vector<std::string> Leftovers(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name != "GPS01.hd" && name != "GPS01.dt1")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A forked child running loop, which never returns by itself.
pid_t Start(const std::function<void()> &loop) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        loop();
        ::_exit(0);
    }
    return child;
}

void KillAndReap(pid_t child) {
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

// The open's tidy as the grid's open does it: a listing of the folder, then the tidy from it,
// again and again, with a pause between the two that lets the folder move on meanwhile.
[[noreturn]] void TidyLoop(const std::string &folder) {
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    std::uniform_int_distribution<int> pause(0, 400);
    while (true) {
        ORQ::CFolderListing listing(folder);
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        ORQ::TidyReplacementFolder(listing, kLine);
    }
}

[[noreturn]] void WriterLoop(const std::string &folder, const char *who) {
    const std::string prefix = std::string(who) + std::to_string(::getpid()) + "-";
    for (unsigned long n = 0;; ++n)
        WriteTagged(folder, prefix + std::to_string(n));
}

// How long one write of the line takes here, in microseconds (the median of a few).
int WriteTimeUs(const std::string &folder) {
    std::vector<long long> times;
    for (int i = 0; i < 7; ++i) {
        const auto start = Clock::now();
        WriteTagged(folder, "timing");
        times.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return static_cast<int>(times[times.size() / 2]);
}

} // namespace

// Two processes write the line again and again and a third tidies its folder as the open does;
// all three are killed at random moments, then the line is read. After every round the line is
// one write's pair with no record left, and the next tidy leaves nothing else in the folder.
// KVD_LINE_WRITER_ROUNDS=<n> runs n rounds, without the time limit of the normal run.
TEST(ReplacementLock, TwoWritersAndTheOpensTidyKilledAtRandomLeaveAWholePair) {
    const char *asked = std::getenv("KVD_LINE_WRITER_ROUNDS");
    const int rounds = asked ? std::max(1, std::atoi(asked)) : 1500;
    const double budgetSeconds = asked ? 1e9 : 35;
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "first"));
    // The kills fall within the first few writes of each round.
    const int maxDelayUs = std::clamp(4 * WriteTimeUs(folder), 2000, 60000);

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, maxDelayUs);
    int done = 0, pendingAtRead = 0, mixedBeforeRead = 0;
    std::vector<std::string> failures;
    const auto start = Clock::now();
    while (done < rounds && failures.size() < 5 &&
           std::chrono::duration<double>(Clock::now() - start).count() < budgetSeconds) {
        const pid_t children[3] = {Start([&] { WriterLoop(folder, "a"); }),
                                   Start([&] { WriterLoop(folder, "b"); }),
                                   Start([&] { TidyLoop(folder); })};
        const auto begun = Clock::now();
        std::vector<std::pair<int, pid_t>> kills;
        for (pid_t child : children)
            kills.emplace_back(delay(random), child);
        std::sort(kills.begin(), kills.end());
        for (const auto &[at, child] : kills) {
            std::this_thread::sleep_until(begun + std::chrono::microseconds(at));
            KillAndReap(child);
        }
        ++done;
        if (PairOnDisk(folder).rfind("mixed", 0) == 0)
            ++mixedBeforeRead;
        bool pending = false;
        const std::string pair = ReadLine(folder, &pending);
        pendingAtRead += pending ? 1 : 0;
        const std::string round = "round " + std::to_string(done) + ": ";
        if (pair.rfind("mixed", 0) == 0)
            failures.push_back(round + pair + " after the read");
        if (FileExists(RecordOf(folder)))
            failures.push_back(round + "a record is left after the read");
        ORQ::TidyReplacementFolder(folder, kLine);
        const std::vector<std::string> left = Leftovers(folder);
        if (!left.empty())
            failures.push_back(round + "left after the tidy: " + testing::PrintToString(left));
    }
    std::printf("%d rounds (kills within %d us): %d mixed on disk before the read, %d records "
                "carried out by the read\n",
                done, maxDelayUs, mixedBeforeRead, pendingAtRead);
    EXPECT_TRUE(failures.empty()) << testing::PrintToString(failures);
    EXPECT_GE(done, std::min(rounds, 100)) << "too few rounds within the time";
    EXPECT_GT(pendingAtRead, 0) << "no kill fell between a record and its removal";
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// The open's tidy reads its listing while a writer has named its temporaries; the writer then
// records them, puts the trace file in place and is killed before the header. The tidy, acting
// later from its older listing, must not take the header's temporary for a stale one: the line
// reads as the killed write's pair, and nothing stays.
TEST(ReplacementLock, ATidyFromAnOlderListingLeavesAKilledWritesPairWhole) {
    using Group = CFileGroupReplacement;
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "old"));
    CHeldWriter writer([&] { return WriteTagged(folder, "killed"); },
                       {Group::STEP_TEMPORARIES, Group::STEP_FIRST_RENAME});
    ASSERT_EQ(writer.WaitHeld(10000), Group::STEP_TEMPORARIES);

    ORQ::CFolderListing listing(folder);
    ASSERT_EQ(kvdtest::ReplacementLeftovers(folder).size(), 2u)
        << "the listing holds the writer's two temporaries and no record";
    // A tidy now, while the writer has the line, leaves its temporaries alone.
    ORQ::CFolderListing now(folder);
    ORQ::TidyReplacementFolder(now, kLine);
    EXPECT_EQ(kvdtest::ReplacementLeftovers(folder).size(), 2u);

    writer.Go();
    ASSERT_EQ(writer.WaitHeld(10000), Group::STEP_FIRST_RENAME);
    writer.Kill();
    ASSERT_EQ(TagOf(folder + "/GPS01.dt1"), "killed");
    ASSERT_EQ(TagOf(folder + "/GPS01.hd"), "old");
    ASSERT_TRUE(FileExists(RecordOf(folder)));

    ORQ::TidyReplacementFolder(listing, kLine);
    EXPECT_EQ(ReadLine(folder), "killed");
    EXPECT_FALSE(FileExists(RecordOf(folder)));
    ORQ::TidyReplacementFolder(folder, kLine);
    EXPECT_TRUE(Leftovers(folder).empty()) << testing::PrintToString(Leftovers(folder));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// Writer Y has put both its files in place and not yet removed its record when writer X of the
// same line starts. X waits for Y rather than taking Y's record for a finished one; X is then
// killed between its renames, and Y's end removes only its own record: the line reads as X's
// pair, and the next write goes on from there.
TEST(ReplacementLock, AWriterWaitsForTheOneBeforeAndEachRemovesOnlyItsOwnRecord) {
    using Group = CFileGroupReplacement;
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "old"));
    CHeldWriter y([&] { return WriteTagged(folder, "Y"); }, {Group::STEP_RENAMES});
    ASSERT_EQ(y.WaitHeld(10000), Group::STEP_RENAMES);
    ASSERT_EQ(ReadFile(RecordOf(folder)).empty(), false);

    CHeldWriter x([&] { return WriteTagged(folder, "X"); }, {Group::STEP_FIRST_RENAME});
    const Group::EStep early = x.WaitHeld(600);
    EXPECT_EQ(early, Group::STEP_NONE) << "X went on while Y still had the line";
    if (early == Group::STEP_NONE) {
        y.Go();
        EXPECT_EQ(y.Wait(10000), 0) << "Y's write ends well";
        ASSERT_EQ(x.WaitHeld(10000), Group::STEP_FIRST_RENAME);
        x.Kill();
    } else {
        x.Kill();
        y.Go();
        y.Wait(10000);
    }
    EXPECT_EQ(ReadLine(folder), "X");
    EXPECT_FALSE(FileExists(RecordOf(folder)));
    ASSERT_TRUE(WriteTagged(folder, "next"));
    EXPECT_EQ(ReadLine(folder), "next");
    ORQ::TidyReplacementFolder(folder, kLine);
    EXPECT_TRUE(Leftovers(folder).empty()) << testing::PrintToString(Leftovers(folder));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// A writer that finds its line kept by another for longer than it waits gives up with a text
// that says so, and leaves the folder exactly as it was; the other then ends as usual.
TEST(ReplacementLock, AWriterKeptWaitingTooLongChangesNothingAndSaysWhy) {
    using Group = CFileGroupReplacement;
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "old"));
    CHeldWriter other([&] { return WriteTagged(folder, "other"); }, {Group::STEP_RECORD});
    ASSERT_EQ(other.WaitHeld(10000), Group::STEP_RECORD);
    const kvdtest::FolderState before = kvdtest::ReadFolder(folder);

    Group::SetLockWait(300);
    const auto start = Clock::now();
    errno = 0;
    std::string why;
    bool committed = false;
    int error = 0;
    {
        Group group(kLine);
        for (const char *name : {"GPS01.dt1", "GPS01.hd"}) {
            CFileReplacement &m = group.Add(folder + "/" + name);
            ASSERT_TRUE(m.Open() && m.Write("tag mine\n", 9) && m.Finish());
        }
        committed = group.Commit();
        error = errno;
        why = group.Why();
        EXPECT_EQ(kvdtest::ReadFolder(folder), before)
            << "nothing changed, and no temporary of the refused write is left";
    }
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    Group::SetLockWait(-1);
    EXPECT_FALSE(committed);
    EXPECT_EQ(error, EBUSY);
    EXPECT_NE(why.find("another program is writing the files of the line GPS01"), std::string::npos)
        << why;
    EXPECT_NE(why.find("nothing was changed"), std::string::npos) << why;
    EXPECT_GE(waited, 0.3) << "it waited for the other writer first";
    EXPECT_LT(waited, 5.0);

    other.Go();
    EXPECT_EQ(other.Wait(10000), 0);
    EXPECT_EQ(ReadLine(folder), "other");
    EXPECT_TRUE(Leftovers(folder).empty()) << testing::PrintToString(Leftovers(folder));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

namespace {

// Set in each child of the turns test: a file that exists while a writer is between naming its
// temporaries and removing its record, and whether a writer ever found it there.
std::string g_busyMarker;
bool g_overlapped = false;

void MarkTurn(CFileGroupReplacement::EStep step) {
    if (step == CFileGroupReplacement::STEP_TEMPORARIES) {
        const int fd = ::open(g_busyMarker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            g_overlapped = true;
        else
            ::close(fd);
    } else if (step == CFileGroupReplacement::STEP_RENAMES) {
        ::unlink(g_busyMarker.c_str());
    }
}

} // namespace

// Writers of one line in several processes take turns: no two are ever between naming their
// temporaries and removing their record at once, though each removes the lock file as it ends
// and others wait on it meanwhile; every write succeeds, the line ends as one write's pair, and
// nothing else is left in the folder, the lock file included.
TEST(ReplacementLock, WritersOfOneLineTakeTurnsAndLeaveNothingBehind) {
    kvdtest::CaptureSink sink;
    TempDir dir, markers;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "first"));
    const int writers = 4, writes = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            g_busyMarker = markers.File("busy");
            CFileGroupReplacement::SetStepHook(&MarkTurn);
            int failed = 0;
            for (int n = 0; n < writes; ++n)
                failed += WriteTagged(folder, std::to_string(w) + "-" + std::to_string(n)) ? 0 : 1;
            ::_exit((g_overlapped ? 2 : 0) | (failed ? 1 : 0));
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "two writers of the line at once";
        EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "a write failed";
    }
    EXPECT_EQ(PairOnDisk(folder).rfind("mixed", 0), std::string::npos) << PairOnDisk(folder);
    EXPECT_TRUE(Leftovers(folder).empty()) << testing::PrintToString(Leftovers(folder));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// The open's reads (each line's pending record looked for in the listing) and its tidy of a
// folder of many lines take the lock only of the lines with something left to tidy: a line
// without leftovers costs no lock file, and the leftovers (a stale temporary, a killed writer's
// record and its lock file) are all gone afterwards.
TEST(ReplacementLock, TheOpenLocksOnlyTheLinesWithSomethingLeft) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    const int lines = 300;
    auto name = [](int i) {
        char text[16];
        std::snprintf(text, sizeof text, "L%03d", i);
        return std::string(text);
    };
    for (int i = 0; i < lines; ++i) {
        kvdtest::WriteFile(dir.File(name(i) + ".hd"), "old header");
        kvdtest::WriteFile(dir.File(name(i) + ".dt1"), "old traces");
    }
    kvdtest::WriteFile(dir.File(".L005.hd.tmpabcdefgh"), "left by a killed write");
    kvdtest::WriteFile(dir.File(".l007.kvd-lock"), "");
    kvdtest::WriteFile(dir.File(".L009.hd.tmpabcdefgh"), "new header");
    kvdtest::WriteFile(dir.File(".L009.dt1.tmpabcdefgh"), "new traces");
    kvdtest::WriteFile(dir.File(".l009.kvd-intent"),
                       "kvd group replacement 1\nrename\t.L009.dt1.tmpabcdefgh\tL009.dt1\n"
                       "rename\t.L009.hd.tmpabcdefgh\tL009.hd\nend\n");

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE), 0);
    ORQ::CFolderListing listing(dir.Path());
    for (int i = 0; i < lines; ++i)
        for (const char *extension : {".hd", ".dt1"})
            ORQ::FinishPendingReplacementOf(dir.File(name(i) + extension), listing, kLine);
    ORQ::TidyReplacementFolder(listing, kLine);

    std::set<std::string> locksMade;
    alignas(inotify_event) char events[64 * 1024];
    ssize_t got = 0;
    while ((got = ::read(watch, events, sizeof events)) > 0) {
        for (char *at = events; at < events + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            if (event->len > 0 && ORQ::IsReplacementLockName(event->name))
                locksMade.insert(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    EXPECT_EQ(locksMade, (std::set<std::string>{".l005.kvd-lock", ".l009.kvd-lock"}));
    EXPECT_EQ(ReadFile(dir.File("L009.hd")), "new header");
    EXPECT_EQ(ReadFile(dir.File("L009.dt1")), "new traces");
    EXPECT_TRUE(kvdtest::ReplacementLeftovers(dir.Path()).empty());
    EXPECT_FALSE(FileExists(dir.File(".l007.kvd-lock"))) << "the killed writer's lock file went";
    EXPECT_FALSE(FileExists(dir.File(".l005.kvd-lock")));
    EXPECT_FALSE(FileExists(dir.File(".l009.kvd-lock")));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// Where a line's lock cannot be made (here a folder stands at its name), nothing of the line
// is changed: a write of it fails saying why, a record of it is left and reported, its
// temporaries stay; once the lock can be made again the record is carried out.
TEST(ReplacementLock, ALineWhoseLockCannotBeMadeIsLeftAsItIs) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "old"));
    const std::string lock = ORQ::ReplacementLockPath(folder + "/GPS01.hd");
    ASSERT_TRUE(std::filesystem::create_directory(lock));

    CFileGroupReplacement group(kLine);
    for (const char *name : {"GPS01.dt1", "GPS01.hd"}) {
        CFileReplacement &m = group.Add(folder + "/" + name);
        ASSERT_TRUE(m.Open() && m.Write("tag mine\n", 9) && m.Finish());
    }
    EXPECT_FALSE(group.Commit());
    EXPECT_NE(group.Why().find(lock), std::string::npos) << group.Why();
    EXPECT_EQ(PairOnDisk(folder), "old");

    kvdtest::WriteFile(folder + "/.GPS01.hd.tmpabcdefgh", "tag recorded\n");
    kvdtest::WriteFile(folder + "/.GPS01.dt1.tmpabcdefgh", "tag recorded\n");
    kvdtest::WriteFile(RecordOf(folder),
                       "kvd group replacement 1\nrename\t.GPS01.dt1.tmpabcdefgh\tGPS01.dt1\n"
                       "rename\t.GPS01.hd.tmpabcdefgh\tGPS01.hd\nend\n");
    const kvdtest::FolderState before = kvdtest::ReadFolder(folder);
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(folder + "/GPS01.hd", kLine), ORQ::PENDING_FAILED);
    ORQ::TidyReplacementFolder(folder, kLine);
    EXPECT_EQ(kvdtest::ReadFolder(folder), before);
    ASSERT_EQ(sink.Messages().size(), 1u) << sink.AllTexts();
    EXPECT_NE(sink.Messages()[0].text.find(lock), std::string::npos) << sink.AllTexts();

    ASSERT_TRUE(std::filesystem::remove(lock));
    EXPECT_EQ(ReadLine(folder), "recorded");
    EXPECT_TRUE(Leftovers(folder).empty()) << testing::PrintToString(Leftovers(folder));
}

namespace {

// Answers every message, noting whether the line's lock was free while it was shown.
class CLockFreeProbe : public ORQ::IMessageSink {
public:
    explicit CLockFreeProbe(std::string lock)
        : m_lock(std::move(lock)), m_previous(ORQ::SetMessageSink(this)) {}
    ~CLockFreeProbe() override { ORQ::SetMessageSink(m_previous); }
    int Show(const std::string &, const std::string &, unsigned style) override {
        ORQ::CReplacementLock probe;
        (probe.Take(m_lock, 0) ? freeShown : heldShown)++;
        return ORQ::DefaultAnswer(style);
    }
    int freeShown = 0, heldShown = 0;

private:
    std::string m_lock;
    ORQ::IMessageSink *m_previous;
};

kvdtest::CHeldWriter *g_waitedFor = nullptr;
int g_waitTicks = 0;
// The hook of a wait: lets the writer waited for go on at its third call.
void CountWaitTick() {
    if (++g_waitTicks == 3 && g_waitedFor)
        g_waitedFor->Go();
}

} // namespace

// A record that holds its line back is reported when a write of the line finds it, but only
// after the write let the line go: the other program's writer of the line is not kept waiting
// while a person reads the box.
TEST(ReplacementLock, ALineLeftAloneIsReportedOnlyOnceItsLockIsFree) {
    TempDir dir;
    const std::string folder = dir.Path();
    ASSERT_TRUE(WriteTagged(folder, "old"));
    kvdtest::WriteFile(RecordOf(folder), "no record at all\n");
    CLockFreeProbe probe(ORQ::ReplacementLockPath(folder + "/GPS01.hd"));
    EXPECT_FALSE(WriteTagged(folder, "new"));
    EXPECT_EQ(probe.freeShown, 1);
    EXPECT_EQ(probe.heldShown, 0);
    EXPECT_EQ(PairOnDisk(folder), "old");
}

// A writer waiting for a line another process writes is woken now and then for the program's
// hook, and gets the line as soon as the other lets it go; one kept past its wait fails.
TEST(ReplacementLock, AWaitForABusyLineCallsTheHookAndEndsWhenTheLineIsFree) {
    using Group = CFileGroupReplacement;
    const struct {
        const char *name;
        bool letGo; // the hook lets the other writer go on
        bool committed;
    } rows[] = {{"the other writer is let go during the wait", true, true},
                {"the other writer keeps the line", false, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string folder = dir.Path();
        ASSERT_TRUE(WriteTagged(folder, "old"));
        CHeldWriter other([&] { return WriteTagged(folder, "other"); }, {Group::STEP_TEMPORARIES});
        ASSERT_EQ(other.WaitHeld(10000), Group::STEP_TEMPORARIES);
        g_waitedFor = row.letGo ? &other : nullptr;
        g_waitTicks = 0;
        Group::SetWaitHook(&CountWaitTick);
        Group::SetLockWait(row.letGo ? 30000 : 1000);
        const bool committed = WriteTagged(folder, "mine");
        Group::SetLockWait(-1);
        Group::SetWaitHook(nullptr);
        g_waitedFor = nullptr;
        EXPECT_EQ(committed, row.committed);
        EXPECT_GE(g_waitTicks, 3);
        if (!row.letGo)
            other.Go();
        EXPECT_EQ(other.Wait(10000), 0);
        EXPECT_EQ(PairOnDisk(folder), row.committed ? "mine" : "other");
    }
}
