// The back-title relay's socket, without any widget: a long-lived invocation
// listens on a local stream socket, and later invocations on the same display
// send it their back titles. One connection carries one title: its bytes, no
// terminator, then the sender closes.
//
// The socket sits in a shared temporary directory under a predictable name,
// so both sides deal only with their own user: the sender only with a socket
// file its user owns, the listener only with peers of its user.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "core/unique_fd.h"

// The listener keeps at most this many bytes of one message.
constexpr size_t RELAY_MESSAGE_MAX = 256;

// Where a relay call failed: the system call ("socket", "connect", "send",
// "bind", "listen", "accept") and its errno. step is null when none failed.
struct RelayError {
    const char *step = nullptr;
    int error = 0;
};

// A listening relay socket and the identity of the file it is bound to, so
// that only that file is ever removed again.
struct RelayServer {
    UniqueFd fd; // non-blocking
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};

// The longest socket path, without its terminator, that every system's
// socket address holds.
constexpr size_t RELAY_PATH_MAX = 103;

// "<tmp_dir>/<display_name>-wrenpane": every invocation on one display meets
// at the same path. Empty when it is longer than RELAY_PATH_MAX: a path cut
// short would name another place, one that all displays might share.
std::string relay_socket_path(const char *tmp_dir, const char *display_name);

// Sends title to the relay listening at path. Returns true when the whole
// title went out. Returns false when there is no relay: quietly (error->step
// null) when path is not a socket of this user that it may write to, or a
// socket that nobody listens on any more; otherwise with the failed call in
// *error.
bool relay_send(const std::string &path, std::string_view title, RelayError *error);

// Starts listening at path, in place of a socket file that a dead relay left
// there. Returns false with the failed call in *error; the socket of a relay
// that still listens is left alone.
bool relay_listen(const std::string &path, RelayServer *server, RelayError *error);

// A connection from a peer of this user, and what it has sent so far.
struct RelayClient {
    UniqueFd fd; // non-blocking
    std::string message;
};

// Takes one waiting connection into *client without waiting for one.
// Returns false with *error set when accept fails. client->fd stays closed
// when no connection waits, or when the peer is another user's (then the
// connection is closed at once).
bool relay_accept(const RelayServer &server, RelayClient *client, RelayError *error);

// Reads what the client has sent since the last call, without waiting.
// Returns true once its message is complete: the peer has closed, or
// RELAY_MESSAGE_MAX bytes have come (any more are not read). A failed read
// completes it too, with an empty message, as bytes from a broken
// connection are not to be trusted. Returns false while more may come.
bool relay_read(RelayClient *client);

// Closes the listening socket and removes its file, unless the path now
// names another file.
void relay_close(RelayServer *server);
