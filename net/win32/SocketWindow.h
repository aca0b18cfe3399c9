#pragma once
// The hidden window shared by the sockets of the GUI thread and the list of
// living sockets. Messages find their socket by its identifier (or by the
// socket or lookup handle the library reports) in that list, never by a
// pointer carried in a message, so a message for a freed socket finds
// nothing and is dropped.
#include <windows.h>

#include <cstdint>
#include <memory>

namespace sv::net {
class TCustomNetSocket;
}

namespace sv::net::detail {

// Creates the window with the first socket, destroys it with the last.
std::uint64_t RegisterSocket(TCustomNetSocket* socket);
void UnregisterSocket(std::uint64_t id);
HWND SocketWindow();
// Keeps a caller-held socket until its release message is handled.
void AdoptForRelease(std::uint64_t id, std::unique_ptr<TCustomNetSocket> socket);

}  // namespace sv::net::detail
