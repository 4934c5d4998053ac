#include "backdrop/relay_socket.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The longest path kept, without its terminator: the smallest socket
// address any system offers holds 104 bytes.
constexpr size_t PATH_MAX_LENGTH = 103;
constexpr int LISTEN_BACKLOG = 5;
// A peer that connects and then sends nothing must not stall the relay.
constexpr time_t RECEIVE_TIMEOUT_SECONDS = 2;

sockaddr_un socket_address(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), PATH_MAX_LENGTH);
    return address;
}

int connect_to(int fd, const std::string &path) {
    sockaddr_un address = socket_address(path);
    return connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
}

// Whether path is a socket owned by this process's user.
bool is_own_socket(const std::string &path, struct stat *info) {
    return lstat(path.c_str(), info) == 0 && S_ISSOCK(info->st_mode) && info->st_uid == geteuid();
}

// A socket file of this user that refuses connections: its relay has died.
bool is_stale_socket(const std::string &path) {
    struct stat info;
    if (!is_own_socket(path, &info))
        return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool refused = connect_to(fd, path) != 0 && errno == ECONNREFUSED;
    close(fd);
    return refused;
}

bool fail(RelayError *error, const char *step, int code) {
    error->step = step;
    error->error = code;
    return false;
}

bool peer_is_own_user(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == geteuid();
}

} // namespace

std::string relay_socket_path(const char *tmp_dir, const char *display_name) {
    std::string path = std::string(tmp_dir) + "/" + display_name + "-wrenpane";
    if (path.size() > PATH_MAX_LENGTH)
        path.resize(PATH_MAX_LENGTH);
    return path;
}

bool relay_send(const std::string &path, std::string_view title, RelayError *error) {
    *error = {};
    struct stat info;
    if (!is_own_socket(path, &info) || access(path.c_str(), W_OK) != 0)
        return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(error, "socket", errno);
    if (connect_to(fd, path) != 0) {
        int code = errno;
        close(fd);
        return fail(error, "connect", code);
    }
    // No SIGPIPE: a relay that hangs up early must not end this process.
    ssize_t sent = send(fd, title.data(), title.size(), MSG_NOSIGNAL);
    int code = sent < 0 ? errno : EPIPE;
    close(fd);
    if (sent != static_cast<ssize_t>(title.size()))
        return fail(error, "send", code);
    return true;
}

bool relay_listen(const std::string &path, RelayServer *server, RelayError *error) {
    *error = {};
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(error, "socket", errno);
    sockaddr_un address = socket_address(path);
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        int code = errno;
        close(fd);
        if (is_stale_socket(path))
            unlink(path.c_str());
        return fail(error, "bind", code);
    }
    if (listen(fd, LISTEN_BACKLOG) != 0) {
        int code = errno;
        close(fd);
        unlink(path.c_str()); // the file this call has just made
        return fail(error, "listen", code);
    }
    struct stat info {}; // left zero if it cannot be read: then the file stays
    lstat(path.c_str(), &info);
    *server = {fd, path, info.st_dev, info.st_ino};
    return true;
}

bool relay_receive(const RelayServer &server, std::string *message, RelayError *error) {
    *error = {};
    message->clear();
    int fd = accept4(server.fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return fail(error, "accept", errno);
    if (peer_is_own_user(fd)) {
        timeval timeout{RECEIVE_TIMEOUT_SECONDS, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buffer[RELAY_MESSAGE_MAX];
        ssize_t received = recv(fd, buffer, sizeof buffer, 0);
        if (received > 0)
            message->assign(buffer, static_cast<size_t>(received));
    }
    close(fd);
    return true;
}

void relay_close(RelayServer *server) {
    if (server->fd < 0)
        return;
    close(server->fd);
    server->fd = -1;
    struct stat info;
    if (lstat(server->path.c_str(), &info) == 0 && info.st_dev == server->device &&
        info.st_ino == server->inode)
        unlink(server->path.c_str());
}
