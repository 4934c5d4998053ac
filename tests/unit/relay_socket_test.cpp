#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backdrop/relay_socket.h"

namespace {

// Any user id other than ours; the tests that need one run only as root.
constexpr uid_t OTHER_USER = 65534;

TEST(RelaySocketPathTest, JoinsDirectoryDisplayAndProgram) {
    const std::string deep_dir = "/" + std::string(120, 'd');
    // 103 bytes with ":0-wrenpane", one byte more with ":10-wrenpane".
    const std::string fitting_dir = "/" + std::string(90, 'f');
    struct {
        const char *tmp_dir;
        const char *display;
        std::string expected;
    } cases[] = {
        {"/tmp", ":0", "/tmp/:0-wrenpane"},
        {"/run/user/1000", "host:12.0", "/run/user/1000/host:12.0-wrenpane"},
        // No path at all past the 103 bytes that every socket address
        // holds: a cut one could be shared by every display.
        {fitting_dir.c_str(), ":0", fitting_dir + "/:0-wrenpane"},
        {fitting_dir.c_str(), ":10", ""},
        {deep_dir.c_str(), ":0", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(relay_socket_path(c.tmp_dir, c.display), c.expected) << c.tmp_dir;
}

// Client and server over a socket in a private directory.
class RelayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/relay-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = relay_socket_path(dir.c_str(), ":9");
    }
    void TearDown() override {
        relay_close(&server);
        unlink(path.c_str());
        rmdir(dir.c_str());
    }

    void start_server() {
        RelayError error;
        ASSERT_TRUE(relay_listen(path, &server, &error))
            << error.step << ": " << strerror(error.error);
    }

    // Sends title and returns what the server read from that connection.
    std::string relay(std::string_view title) {
        RelayError error;
        EXPECT_TRUE(relay_send(path, title, &error)) << (error.step ? error.step : "no relay");
        RelayClient client = accept_client();
        EXPECT_TRUE(relay_read(&client)) << "sent and closed, yet incomplete";
        return client.message;
    }

    RelayClient accept_client() {
        RelayClient client;
        RelayError error;
        EXPECT_TRUE(relay_accept(server, &client, &error)) << strerror(error.error);
        EXPECT_TRUE(client.fd.is_open());
        return client;
    }

    // A peer that holds its connection open, to send what and when it likes.
    UniqueFd connect_peer() {
        UniqueFd peer(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(connect(peer.get(), reinterpret_cast<sockaddr *>(&address), sizeof address), 0)
            << strerror(errno);
        return peer;
    }

    // A socket file whose listener has gone, as a killed relay leaves it.
    void leave_stale_socket() {
        start_server();
        server.fd.reset();
    }

    std::string dir;
    std::string path;
    RelayServer server;
};

TEST_F(RelayTest, DeliversTitlesUpToTheLimit) {
    start_server();
    const std::string long_title = std::string(RELAY_MESSAGE_MAX, 'a') + "cut";
    struct {
        std::string sent;
        std::string received;
    } cases[] = {
        {"Installing", "Installing"},
        {"", ""},
        {long_title, long_title.substr(0, RELAY_MESSAGE_MAX)},
        // Raw bytes: the label's side repairs them.
        {"\xff\xc3", "\xff\xc3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(relay(c.sent), c.received) << c.sent;
}

TEST_F(RelayTest, NoRelayWithoutAListeningSocketOfOurOwn) {
    RelayError error;
    EXPECT_FALSE(relay_send(path, "t", &error)) << "no file";
    EXPECT_EQ(error.step, nullptr);

    leave_stale_socket();
    EXPECT_FALSE(relay_send(path, "t", &error)) << "stale socket";
    EXPECT_EQ(error.step, nullptr);
    unlink(path.c_str());

    FILE *file = fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fclose(file);
    EXPECT_FALSE(relay_send(path, "t", &error)) << "regular file";
    EXPECT_EQ(error.step, nullptr);
}

TEST_F(RelayTest, StartTakesThePlaceOfAStaleSocket) {
    leave_stale_socket();
    start_server();
    EXPECT_EQ(relay("again"), "again");
}

TEST_F(RelayTest, StartBesideALiveRelayLeavesItReachable) {
    start_server();
    RelayServer second;
    RelayError error;
    EXPECT_FALSE(relay_listen(path, &second, &error));
    EXPECT_STREQ(error.step, "bind");
    EXPECT_EQ(error.error, EADDRINUSE);
    EXPECT_FALSE(second.fd.is_open());
    // The failed start probed the relay with an empty connection.
    RelayClient probe = accept_client();
    EXPECT_TRUE(relay_read(&probe));
    EXPECT_EQ(probe.message, "");
    EXPECT_EQ(relay("still there"), "still there");
}

TEST_F(RelayTest, AcceptsWithoutWaitingForAConnection) {
    start_server();
    RelayClient client;
    RelayError error;
    EXPECT_TRUE(relay_accept(server, &client, &error));
    EXPECT_EQ(error.step, nullptr);
    EXPECT_FALSE(client.fd.is_open());
}

// Each read takes what has come and returns: a silent peer holds up no other.
TEST_F(RelayTest, ReadsConnectionsAsTheirBytesCome) {
    start_server();
    UniqueFd slow = connect_peer();
    UniqueFd quick = connect_peer();
    RelayClient slow_client = accept_client();
    RelayClient quick_client = accept_client();

    EXPECT_FALSE(relay_read(&slow_client)) << "nothing sent yet";
    ASSERT_EQ(send(quick.get(), "quick", 5, 0), 5);
    quick.reset();
    EXPECT_TRUE(relay_read(&quick_client));
    EXPECT_EQ(quick_client.message, "quick");

    ASSERT_EQ(send(slow.get(), "sl", 2, 0), 2);
    EXPECT_FALSE(relay_read(&slow_client)) << "still open";
    ASSERT_EQ(send(slow.get(), "ow", 2, 0), 2);
    slow.reset();
    EXPECT_TRUE(relay_read(&slow_client));
    EXPECT_EQ(slow_client.message, "slow");
}

TEST_F(RelayTest, MessageEndsAtTheLimitWhileThePeerStaysOpen) {
    start_server();
    UniqueFd peer = connect_peer();
    RelayClient client = accept_client();
    const std::string bytes(RELAY_MESSAGE_MAX + 10, 'x');
    ASSERT_EQ(send(peer.get(), bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    EXPECT_TRUE(relay_read(&client));
    EXPECT_EQ(client.message, bytes.substr(0, RELAY_MESSAGE_MAX));
}

TEST_F(RelayTest, BrokenConnectionGivesAnEmptyMessage) {
    start_server();
    UniqueFd peer = connect_peer();
    RelayClient client = accept_client();
    ASSERT_EQ(send(peer.get(), "partial", 7, 0), 7);
    EXPECT_FALSE(relay_read(&client));
    EXPECT_EQ(client.message, "partial");
    // Closing with unread bytes resets the connection.
    std::string unread = "x";
    ASSERT_EQ(send(client.fd.get(), unread.data(), 1, 0), 1);
    peer.reset();
    EXPECT_TRUE(relay_read(&client));
    EXPECT_EQ(client.message, "");
}

TEST_F(RelayTest, StartInAMissingDirectoryFailsToBind) {
    path = dir + "/missing/:0-wrenpane";
    RelayError error;
    EXPECT_FALSE(relay_listen(path, &server, &error));
    EXPECT_STREQ(error.step, "bind");
    EXPECT_EQ(error.error, ENOENT);
}

TEST_F(RelayTest, CloseRemovesOnlyItsOwnFile) {
    start_server();
    relay_close(&server);
    EXPECT_NE(access(path.c_str(), F_OK), 0) << "own socket file kept";

    // Another file put in its place after the start stays.
    start_server();
    unlink(path.c_str());
    FILE *file = fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fclose(file);
    relay_close(&server);
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
}

TEST_F(RelayTest, SendsNothingToASocketOfAnotherUser) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give the socket away";
    start_server();
    ASSERT_EQ(chown(path.c_str(), OTHER_USER, OTHER_USER), 0);
    RelayError error;
    EXPECT_FALSE(relay_send(path, "t", &error));
    EXPECT_EQ(error.step, nullptr);
}

TEST_F(RelayTest, DropsMessagesFromAnotherUser) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to send as another user";
    start_server();
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(chmod(path.c_str(), 0777), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Connect and send without the client's ownership check.
        if (setuid(OTHER_USER) != 0)
            _exit(1);
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            _exit(2);
        _exit(send(fd, "intruder", 8, 0) == 8 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    RelayClient client;
    RelayError error;
    EXPECT_TRUE(relay_accept(server, &client, &error));
    EXPECT_FALSE(client.fd.is_open());
}

} // namespace
