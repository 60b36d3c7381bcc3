#include "orq_utils/FileStamp.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ORQ::CByteDigest;
using ORQ::CFileStamp;

namespace {

// Sets the file's modification time (seconds and nanoseconds since the epoch).
void SetModified(const std::string &path, time_t sec, long nsec) {
    const timespec times[2] = {{0, UTIME_OMIT}, {sec, nsec}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

timespec ModifiedOf(const std::string &path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mtim;
}

time_t Now() {
    return ::time(nullptr);
}

CFileStamp StampOf(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    const CFileStamp stamp = CFileStamp::OfOpenFile(fd);
    ::close(fd);
    return stamp;
}

uint64_t DigestOf(const std::string &bytes) {
    CByteDigest digest;
    digest.Add(bytes.data(), bytes.size());
    return digest.Value();
}

// Writes bytes as a new file beside path and renames it over path, as editors save.
void ReplaceByRename(const std::string &path, const std::string &bytes) {
    WriteFile(path + ".new", bytes);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

constexpr const char *kBytes = "<Project><Data/></Project>\n";
constexpr const char *kOther = "<Project><Atad/></Project>\n"; // the same size

} // namespace

// What another program may do to a stamped file after it was stamped, an hour after its last
// write (so the metadata decide alone), and what the stamp makes of it.
TEST(FileStamp, TellsAnotherProgramsWriteFromTheFileItStamped) {
    struct SCase {
        const char *name;
        std::function<void(const std::string &path, const timespec &stamped)> change;
        CFileStamp::EFileChange expected;
    };
    const SCase cases[] = {
        {"left alone", [](const std::string &, const timespec &) {}, CFileStamp::FILE_UNCHANGED},
        {"read by another",
         [](const std::string &path, const timespec &) { EXPECT_EQ(ReadFile(path), kBytes); },
         CFileStamp::FILE_UNCHANGED},
        {"grown",
         [](const std::string &path, const timespec &) {
             WriteFile(path, std::string(kBytes) + "<!-- -->");
         },
         CFileStamp::FILE_CHANGED},
        {"written in place, same size, new time",
         [](const std::string &path, const timespec &) {
             WriteFile(path, kOther);
             SetModified(path, Now() - 1800, 0);
         },
         CFileStamp::FILE_CHANGED},
        {"its time alone changed",
         [](const std::string &path, const timespec &stamped) {
             SetModified(path, stamped.tv_sec, stamped.tv_nsec + 1);
         },
         CFileStamp::FILE_CHANGED},
        {"replaced by rename with the same bytes and time",
         [](const std::string &path, const timespec &stamped) {
             ReplaceByRename(path, kBytes);
             SetModified(path, stamped.tv_sec, stamped.tv_nsec);
         },
         CFileStamp::FILE_CHANGED},
        {"replaced by a folder",
         [](const std::string &path, const timespec &) {
             ASSERT_EQ(::unlink(path.c_str()), 0);
             ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
         },
         CFileStamp::FILE_CHANGED},
        {"removed",
         [](const std::string &path, const timespec &) { ASSERT_EQ(::unlink(path.c_str()), 0); },
         CFileStamp::FILE_GONE},
        {"renamed away",
         [](const std::string &path, const timespec &) {
             ASSERT_EQ(std::rename(path.c_str(), (path + ".old").c_str()), 0);
         },
         CFileStamp::FILE_GONE},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("site.kvd");
        WriteFile(path, kBytes);
        SetModified(path, Now() - 3600, 123456789);
        const CFileStamp stamp = StampOf(path);
        ASSERT_TRUE(stamp.IsKnown());
        EXPECT_FALSE(stamp.NeedsDigest()) << "an hour after its last write the time decides";
        c.change(path, ModifiedOf(path));
        EXPECT_EQ(stamp.Compare(path), c.expected);
    }
    TempDir dir;
    WriteFile(dir.File("site.kvd"), kBytes);
    const CFileStamp stamp = StampOf(dir.File("site.kvd"));
    EXPECT_EQ(stamp.Compare(dir.File("no-such-folder/site.kvd")), CFileStamp::FILE_GONE)
        << "a folder that is not there";
    EXPECT_EQ(stamp.Compare(dir.File("site.kvd/x")), CFileStamp::FILE_GONE)
        << "a path through a file";
    EXPECT_EQ(CFileStamp().Compare(dir.File("site.kvd")), CFileStamp::FILE_UNKNOWN)
        << "an empty stamp vouches for nothing";
}

// A stamp taken within the file system's time tick of the file's last write cannot tell a write
// in the same tick by its metadata: it needs the digest of the bytes, and then reads the file
// where the metadata agree. Without the digest it vouches for nothing.
TEST(FileStamp, WithinTheTimesTickTheBytesDecide) {
    struct STime {
        const char *name;
        time_t offset; // from now, seconds
        long nsec;
        bool needsDigest;
    };
    const STime times[] = {
        {"an hour ago", -3600, 5000, false},
        {"a minute from now (a clock ahead)", 60, 5000, true},
        {"this second, in whole seconds (a disk that keeps no more)", 0, 0, true},
        {"ten seconds ago, in whole seconds", -10, 0, false},
    };
    for (const STime &t : times) {
        SCOPED_TRACE(t.name);
        TempDir dir;
        const std::string path = dir.File("site.kvd");
        WriteFile(path, kBytes);
        SetModified(path, Now() + t.offset, t.nsec);
        EXPECT_EQ(StampOf(path).NeedsDigest(), t.needsDigest);
    }

    struct SCase {
        const char *name;
        bool digest;
        const char *after; // written in place, the time then set back; null: left alone
        CFileStamp::EFileChange expected;
    };
    const SCase cases[] = {
        {"left alone", true, nullptr, CFileStamp::FILE_UNCHANGED},
        {"the same bytes written again in the tick", true, kBytes, CFileStamp::FILE_UNCHANGED},
        {"other bytes of the same size in the tick", true, kOther, CFileStamp::FILE_CHANGED},
        {"no digest given", false, nullptr, CFileStamp::FILE_CHANGED},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("site.kvd");
        WriteFile(path, kBytes);
        SetModified(path, Now() + 60, 5000);
        CFileStamp stamp = StampOf(path);
        ASSERT_TRUE(stamp.NeedsDigest());
        if (c.digest)
            stamp.SetDigest(DigestOf(kBytes));
        if (c.after) {
            const timespec stamped = ModifiedOf(path);
            WriteFile(path, c.after);
            SetModified(path, stamped.tv_sec, stamped.tv_nsec);
        }
        EXPECT_EQ(stamp.Compare(path), c.expected);
    }
}

// The digest of a stream is the same however the stream is cut, and tells apart streams that
// differ in one bit, in a trailing zero byte or in the order of their words.
TEST(FileStamp, DigestDependsOnTheBytesOnly) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += char(i * 7 + 3);
    const uint64_t whole = DigestOf(bytes);
    for (size_t piece : {size_t(1), size_t(3), size_t(7), size_t(8), size_t(9), size_t(64)}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        CByteDigest digest;
        for (size_t at = 0; at < bytes.size(); at += piece)
            digest.Add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(digest.Value(), whole);
    }
    struct SCase {
        const char *name;
        std::string other;
    };
    std::string flipped = bytes;
    flipped[500] ^= 0x10;
    std::string swapped = bytes.substr(8, 8) + bytes.substr(0, 8) + bytes.substr(16);
    const SCase cases[] = {
        {"one bit", flipped},
        {"a zero byte more", bytes + std::string(1, '\0')},
        {"one byte less", bytes.substr(0, bytes.size() - 1)},
        {"two words swapped", swapped},
        {"empty", std::string()},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(DigestOf(c.other), whole);
    }
    EXPECT_NE(DigestOf(std::string()), DigestOf(std::string(1, '\0')));
}
