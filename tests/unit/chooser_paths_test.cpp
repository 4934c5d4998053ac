#include <cstdlib>
#include <fcntl.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/chooser_paths.h"
#include "frame/gobject_ptr.h"

namespace {

TEST(AbsolutePath, IsMadeAbsoluteAndTidied) {
    struct {
        const char *path, *cwd, *expected;
    } cases[] = {
        {"", "/home/u", "/home/u"},     {"a/./b//c/", "/home/u", "/home/u/a/b/c"},
        {"../x", "/home/u", "/home/x"}, {"/..", "/home/u", "/"},
        {"/a/b", "/ignored", "/a/b"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(absolute_path(c.path, c.cwd), c.expected) << c.path;
}

// A folder holding one entry of each kind a script may point at.
class ChooserPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/chooser_paths_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        ASSERT_EQ(mkdir(in("sub").c_str(), 0700), 0);
        int fd = open(in("file").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
        ASSERT_EQ(mkfifo(in("fifo").c_str(), 0600), 0);
        ASSERT_EQ(symlink(in("nowhere").c_str(), in("dangling").c_str()), 0);
    }
    void TearDown() override {
        for (const char *name : {"file", "fifo", "dangling", "bad\xff"})
            unlink(in(name).c_str());
        rmdir(in("sub").c_str());
        rmdir(dir.c_str());
    }
    std::string in(const std::string &name) const { return dir + '/' + name; }
    std::string dir;
};

TEST_F(ChooserPaths, OpensTheNearestFolderWithTheRestAsTheName) {
    struct {
        std::string path;
        bool folders_only;
        std::string folder, name;
        bool name_exists;
    } cases[] = {
        {dir, false, dir, "", false},
        {in("sub/"), false, in("sub"), "", false},
        {in("file"), false, dir, "file", true},
        {in("file"), true, dir, "", false},
        {in("fifo"), false, dir, "fifo", true},
        {in("dangling"), false, dir, "dangling", true},
        {in("new"), false, dir, "new", false},
        {in("new"), true, dir, "new", false},
        {in("new/deeper/name"), false, dir, "new/deeper/name", false},
        {in("file/below"), false, dir, "file/below", false},
        {"", false, dir, "", false},
        {"sub/x", false, in("sub"), "x", false},
        {"/no-such-top-folder/x", false, "/", "no-such-top-folder/x", false},
    };
    for (const auto &c : cases) {
        ChooserStart start = chooser_start(c.path, dir, c.folders_only);
        EXPECT_EQ(start.folder, c.folder) << c.path;
        EXPECT_EQ(start.name, c.name) << c.path;
        EXPECT_EQ(start.name_exists, c.name_exists) << c.path;
    }
}

TEST_F(ChooserPaths, AnswersTheAbsolutePathWithoutATrailingSlash) {
    ChooserStart start = chooser_start(dir, dir, false);
    EXPECT_EQ(chooser_answer_line(in("typed"), start), in("typed") + '\n');
    EXPECT_EQ(chooser_answer_line(in("sub/"), start), in("sub") + '\n');
    EXPECT_EQ(chooser_answer_line("/", start), "/\n");
    // A newline in a name is answered as it is, like any other byte.
    EXPECT_EQ(chooser_answer_line(in("two\nlines"), start), in("two\nlines") + '\n');
}

// GTK shows a name that is not UTF-8 with stand-ins, and the path it makes
// from that text again is another one: the answer is the name's own bytes.
TEST_F(ChooserPaths, NamesThatAreNotUtf8AreAnsweredWithTheirOwnBytes) {
    ChooserStart typed = chooser_start(in("new\xff"), dir, false);
    std::string from_shown = in(name_from_shown(name_shown(typed.name)));
    ASSERT_NE(from_shown, in("new\xff"));
    EXPECT_EQ(chooser_answer_line(from_shown, typed), in("new\xff") + '\n');
    // Once edited, the name is what was typed.
    EXPECT_EQ(chooser_answer_line(in("new\xef\xbf\xbd!"), typed), in("new\xef\xbf\xbd!") + '\n');

    int fd = open(in("bad\xff").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    GObjectPtr<GFile> file(g_file_new_for_path(in("bad\xff").c_str()));
    GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    ASSERT_NE(info, nullptr);
    std::string listed = in(name_from_shown(g_file_info_get_display_name(info.get())));
    ChooserStart opened = chooser_start(dir, dir, false);
    EXPECT_EQ(chooser_answer_line(listed, opened), in("bad\xff") + '\n');
}

} // namespace
