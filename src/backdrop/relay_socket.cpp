#include "backdrop/relay_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int LISTEN_BACKLOG = 5;

sockaddr_un socket_address(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    static_assert(sizeof address.sun_path > RELAY_PATH_MAX);
    memcpy(address.sun_path, path.data(), std::min(path.size(), RELAY_PATH_MAX));
    return address;
}

UniqueFd new_socket(int flags = 0) {
    return UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
}

int connect_to(const UniqueFd &fd, const std::string &path) {
    sockaddr_un address = socket_address(path);
    return connect(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address);
}

int bind_to(const UniqueFd &fd, const std::string &path) {
    sockaddr_un address = socket_address(path);
    return bind(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address);
}

// Whether path is a socket owned by this process's user.
bool is_own_socket(const std::string &path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == geteuid();
}

// A socket file of this user that refuses connections: its relay has died.
bool is_stale_socket(const std::string &path) {
    if (!is_own_socket(path))
        return false;
    UniqueFd fd = new_socket();
    return fd.is_open() && connect_to(fd, path) != 0 && errno == ECONNREFUSED;
}

// Binds fd to path, once more after removing the file of a dead relay that
// was in the way. Returns 0, or the errno of the bind that failed.
int bind_in_place_of_stale(const UniqueFd &fd, const std::string &path) {
    if (bind_to(fd, path) == 0)
        return 0;
    const int code = errno;
    if (code != EADDRINUSE || !is_stale_socket(path) || unlink(path.c_str()) != 0)
        return code;
    return bind_to(fd, path) == 0 ? 0 : errno;
}

bool fail(RelayError *error, const char *step, int code) {
    error->step = step;
    error->error = code;
    return false;
}

bool peer_is_own_user(const UniqueFd &fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == geteuid();
}

} // namespace

std::string relay_socket_path(const char *tmp_dir, const char *display_name) {
    std::string path = std::string(tmp_dir) + "/" + display_name + "-wrenpane";
    if (path.size() > RELAY_PATH_MAX)
        return {};
    return path;
}

bool relay_send(const std::string &path, std::string_view title, RelayError *error) {
    *error = {};
    if (!is_own_socket(path) || access(path.c_str(), W_OK) != 0)
        return false;
    UniqueFd fd = new_socket();
    if (!fd.is_open())
        return fail(error, "socket", errno);
    if (connect_to(fd, path) != 0) {
        if (errno == ECONNREFUSED)
            return false; // a relay killed before it could remove its socket
        return fail(error, "connect", errno);
    }
    // No SIGPIPE: a relay that hangs up early must not end this process.
    ssize_t sent = send(fd.get(), title.data(), title.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(title.size()))
        return fail(error, "send", sent < 0 ? errno : EPIPE);
    return true;
}

bool relay_listen(const std::string &path, RelayServer *server, RelayError *error) {
    *error = {};
    UniqueFd fd = new_socket(SOCK_NONBLOCK);
    if (!fd.is_open())
        return fail(error, "socket", errno);
    if (int code = bind_in_place_of_stale(fd, path); code != 0)
        return fail(error, "bind", code);
    if (listen(fd.get(), LISTEN_BACKLOG) != 0) {
        int code = errno;
        unlink(path.c_str()); // the file this call has just made
        return fail(error, "listen", code);
    }
    struct stat info {}; // left zero if it cannot be read: then the file stays
    lstat(path.c_str(), &info);
    *server = {std::move(fd), path, info.st_dev, info.st_ino};
    return true;
}

bool relay_accept(const RelayServer &server, RelayClient *client, RelayError *error) {
    *error = {};
    *client = {};
    UniqueFd fd(accept4(server.fd.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.is_open()) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true; // none waiting
        return fail(error, "accept", errno);
    }
    if (peer_is_own_user(fd))
        client->fd = std::move(fd);
    return true;
}

bool relay_read(RelayClient *client) {
    std::string &message = client->message;
    char buffer[RELAY_MESSAGE_MAX];
    while (message.size() < RELAY_MESSAGE_MAX) {
        ssize_t received = recv(client->fd.get(), buffer, RELAY_MESSAGE_MAX - message.size(), 0);
        if (received == 0)
            return true; // the peer has closed
        if (received > 0)
            message.append(buffer, static_cast<size_t>(received));
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
            return false;
        else if (errno != EINTR) {
            message.clear();
            return true;
        }
    }
    return true;
}

void relay_close(RelayServer *server) {
    if (!server->fd.is_open())
        return;
    server->fd.reset();
    struct stat info;
    if (lstat(server->path.c_str(), &info) == 0 && info.st_dev == server->device &&
        info.st_ino == server->inode)
        unlink(server->path.c_str());
}
