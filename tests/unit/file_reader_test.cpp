#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/file_reader.h"

namespace {

// A fresh directory for the test's files, removed afterwards.
class FileReader : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/file_reader_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override {
        unlink(fifo_path().c_str());
        unlink(file_path().c_str());
        rmdir(dir.c_str());
    }
    std::string fifo_path() const { return dir + "/fifo"; }
    std::string file_path() const { return dir + "/file"; }
    std::string dir;
};

TEST_F(FileReader, ReadsAFileInPiecesUpToItsEnd) {
    int out = open(file_path().c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(out, 0);
    ASSERT_EQ(write(out, "abcdefg", 7), 7);
    close(out);

    int fd = open_for_viewing(file_path().c_str());
    ASSERT_GE(fd, 0);
    char buffer[4];
    ReadOutcome first = read_piece(fd, buffer, sizeof buffer);
    EXPECT_EQ(first.status, ReadStatus::Data);
    EXPECT_EQ(std::string(buffer, first.count), "abcd");
    ReadOutcome second = read_piece(fd, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, second.count), "efg");
    EXPECT_EQ(read_piece(fd, buffer, sizeof buffer).status, ReadStatus::End);
    close(fd);
}

// A FIFO whose writer has not come yet must not block the open; once the
// writer has written and gone, what it wrote is read and then the end seen.
TEST_F(FileReader, FifoOpensAtOnceAndEndsWhenItsWriterCloses) {
    ASSERT_EQ(mkfifo(fifo_path().c_str(), 0600), 0);
    int fd = open_for_viewing(fifo_path().c_str());
    ASSERT_GE(fd, 0);
    char buffer[16];

    int writer = open(fifo_path().c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(read_piece(fd, buffer, sizeof buffer).status, ReadStatus::Again);
    ASSERT_EQ(write(writer, "late", 4), 4);
    close(writer);
    ReadOutcome data = read_piece(fd, buffer, sizeof buffer);
    EXPECT_EQ(data.status, ReadStatus::Data);
    EXPECT_EQ(std::string(buffer, data.count), "late");
    EXPECT_EQ(read_piece(fd, buffer, sizeof buffer).status, ReadStatus::End);
    close(fd);
}

TEST_F(FileReader, FailuresCarryTheSystemReason) {
    errno = 0;
    EXPECT_EQ(open_for_viewing(file_path().c_str()), -1);
    EXPECT_EQ(errno, ENOENT);

    // A directory opens but cannot be read.
    int fd = open_for_viewing(dir.c_str());
    ASSERT_GE(fd, 0);
    char buffer[16];
    ReadOutcome outcome = read_piece(fd, buffer, sizeof buffer);
    EXPECT_EQ(outcome.status, ReadStatus::Error);
    EXPECT_EQ(outcome.error, EISDIR);
    close(fd);
}

} // namespace
