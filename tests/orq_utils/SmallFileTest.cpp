// The bounded whole-file reader that headers and intent records are read with: whole files up
// to the limit, nothing from what is no plain file (a pipe must not hang the reader), and no
// more than the limit from a file that is too large.
#include "orq_utils/SmallFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

// ReadSmallFile of the file at path, opened as its callers open it.
ORQ::ESmallFileRead ReadAt(const std::string &path, size_t limit, std::string &bytes,
                           int *error = nullptr) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    EXPECT_GE(fd, 0) << path;
    const ORQ::ESmallFileRead result = ORQ::ReadSmallFile(fd, limit, bytes);
    if (error)
        *error = errno;
    ::close(fd);
    return result;
}

} // namespace

TEST(SmallFile, ReadsWholeFilesUpToTheLimitAndNothingBeyond) {
    TempDir dir;
    const std::string text = "GPR header\r\nNUMBER OF TRACES = 40\r\n";
    const struct {
        const char *name;
        std::string content;
        size_t limit;
        ORQ::ESmallFileRead result;
    } rows[] = {
        {"a header", text, 4096, ORQ::SMALL_FILE_READ},
        {"an empty file", "", 4096, ORQ::SMALL_FILE_READ},
        {"exactly the limit", std::string(4096, 'x'), 4096, ORQ::SMALL_FILE_READ},
        {"one byte over the limit", std::string(4097, 'x'), 4096, ORQ::SMALL_FILE_TOO_LARGE},
        {"far over the limit", std::string(100000, 'x'), 4096, ORQ::SMALL_FILE_TOO_LARGE},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.File("file");
        WriteFile(path, row.content);
        std::string bytes = "left from before";
        int error = 0;
        EXPECT_EQ(ReadAt(path, row.limit, bytes, &error), row.result);
        if (row.result == ORQ::SMALL_FILE_READ) {
            EXPECT_EQ(bytes, row.content);
        } else {
            EXPECT_EQ(error, EFBIG);
            EXPECT_TRUE(bytes.empty()) << "nothing of a file too large is handed on";
        }
    }
}

TEST(SmallFile, ReadsNothingFromAFolderOrAPipe) {
    TempDir dir;
    std::string bytes;
    EXPECT_EQ(ReadAt(dir.Path(), 4096, bytes), ORQ::SMALL_FILE_NOT_A_FILE);

    const std::string fifo = dir.File("pipe.hd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // No writer: a reader that waited for one would never come back.
    EXPECT_EQ(ReadAt(fifo, 4096, bytes), ORQ::SMALL_FILE_NOT_A_FILE);
    EXPECT_TRUE(bytes.empty());
}
