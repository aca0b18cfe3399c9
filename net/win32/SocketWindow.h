#pragma once
// The hidden window shared by the sockets of one thread and the list of the
// sockets attached to it. Messages find their socket by its identifier (or
// by the socket or lookup handle the library reports) in that list, never
// by a pointer carried in a message, so a message for a freed or detached
// socket finds nothing and is dropped. Network events come by handle value,
// which Windows reuses at once: a closed handle's value is retired until a
// marker posted after its close is handled. A socket is attached to the
// window of the thread that made it, or that attached it last; it is freed
// there.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>

namespace sv::net {
class TCustomNetSocket;
}

namespace sv::net::detail {

// Unique across threads.
std::uint64_t NewSocketId();
// Attaches the socket to the calling thread's window, made with its first
// socket; the window, or nullptr when it cannot be made.
HWND RegisterSocket(std::uint64_t id, TCustomNetSocket* socket);
// Detaches it; the window goes with the thread's last socket.
void UnregisterSocket(std::uint64_t id);
// The calling thread's window, if it has one.
HWND SocketWindow();
// Keeps a caller-held socket until its release message is handled.
void AdoptForRelease(std::uint64_t id, std::unique_ptr<TCustomNetSocket> socket);
// The handle no longer belongs to this window (closed or detached): network
// events queued for its value before now are dropped, so a later socket
// given the same value never sees them. Only the window's own thread
// retires; from another thread nothing happens.
void RetireHandle(HWND window, SOCKET handle);

}  // namespace sv::net::detail
