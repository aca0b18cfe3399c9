#pragma once
// The sockets library, bound at run time: "wsock32.dll" is loaded and
// started on the first call that needs it and released when the last socket
// component goes, so a player that never touches the network never loads it.
// Nothing here may use the headers' own byte-order helpers: they link the
// sockets library at build time.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"

namespace sv::net {

class ESocketException : public sv::Exception {
 public:
  using sv::Exception::Exception;
};

constexpr std::uint16_t SwapBytes16(std::uint16_t value) {
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}
constexpr std::uint32_t SwapBytes32(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}
// Windows runs little-endian only; network order is big-endian.
constexpr std::uint16_t HostToNet16(std::uint16_t value) { return SwapBytes16(value); }
constexpr std::uint16_t NetToHost16(std::uint16_t value) { return SwapBytes16(value); }
constexpr std::uint32_t HostToNet32(std::uint32_t value) { return SwapBytes32(value); }
constexpr std::uint32_t NetToHost32(std::uint32_t value) { return SwapBytes32(value); }

// The version asked for at start-up (low byte ReqVerLow): process-wide, and
// fixed once the library is loaded. SetRequestedVersion answers false then.
std::uint8_t RequestedVersionLow();
std::uint8_t RequestedVersionHigh();
bool SetRequestedVersion(std::uint8_t low, std::uint8_t high);
bool WinsockLoaded();

// Load (and start) on first use, then find `name`; an empty name only loads.
void* LoadWinsockFunction(std::string_view name);
// The one function of "ws2_32.dll" (WSAIoctl).
void* LoadWinsock2Function(std::string_view name);

// The count of living socket components: at zero the library is cleaned up
// and freed, and a later component binds everything again.
void HoldLibrary();
void ReleaseLibrary();
void UnloadWinsock();
int HeldCount();

// Keeps the library counted as busy for a scope.
class LibraryHold {
 public:
  LibraryHold() { HoldLibrary(); }
  ~LibraryHold() { ReleaseLibrary(); }
  LibraryHold(const LibraryHold&) = delete;
  LibraryHold& operator=(const LibraryHold&) = delete;
};

// One wrapper per bound function, same arguments and result.
namespace ws {
int WSAGetLastError();
void WSASetLastError(int error);
int WSACancelAsyncRequest(HANDLE task);
HANDLE WSAAsyncGetHostByName(HWND window, u_int message, const char* name, char* buffer, int length);
HANDLE WSAAsyncGetHostByAddr(HWND window, u_int message, const char* address, int length, int type,
                             char* buffer, int bufferLength);
int WSAAsyncSelect(SOCKET s, HWND window, u_int message, long events);
servent* getservbyname(const char* name, const char* proto);
protoent* getprotobyname(const char* name);
hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* address, int length, int type);
int gethostname(char* name, int length);
SOCKET socket(int family, int type, int protocol);
int shutdown(SOCKET s, int how);
int setsockopt(SOCKET s, int level, int name, const char* value, int length);
int getsockopt(SOCKET s, int level, int name, char* value, int* length);
int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr* to, int toLength);
int send(SOCKET s, const char* data, int length, int flags);
int recv(SOCKET s, char* data, int length, int flags);
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr* from, int* fromLength);
u_short ntohs(u_short value);
int listen(SOCKET s, int backlog);
int ioctlsocket(SOCKET s, long command, u_long* argument);
char* inet_ntoa(in_addr address);
unsigned long inet_addr(const char* text);
u_short htons(u_short value);
int getsockname(SOCKET s, sockaddr* name, int* length);
int getpeername(SOCKET s, sockaddr* name, int* length);
int connect(SOCKET s, const sockaddr* name, int length);
int closesocket(SOCKET s);
int bind(SOCKET s, const sockaddr* name, int length);
SOCKET accept(SOCKET s, sockaddr* address, int* length);
int WSAIoctl(SOCKET s, DWORD code, void* in, DWORD inLength, void* out, DWORD outLength, DWORD* returned,
             void* overlapped, void* completion);
}  // namespace ws

// Name, port and protocol resolution; each raises ESocketException.
std::uint32_t NetSocketResolveHost(std::string_view host);  // network order
std::uint16_t NetSocketResolvePort(std::string_view port, std::string_view proto);
int NetSocketResolveProto(std::string_view proto);

bool IsDigitChar(char c);
bool IsDottedQuad(std::string_view text);
// Decimal digits after leading blanks; saturates instead of overflowing.
std::uint32_t LeadingNumber(std::string_view text);
std::string LocalHostName();
// Puts a function of the same signature in place of a bound one (nullptr
// restores it), so that tests can meet what a real library does only
// rarely: a host name it cannot give, a lookup that completes at once.
// False for a name that is not bound here.
bool ReplaceWinsockFunctionForTesting(std::string_view name, void* function);
// The dotted text of an address in network order; copies the library's
// static buffer at once.
std::string DottedAddress(std::uint32_t address);
void AddressListToStrings(const hostent* entry, std::vector<std::string>& list);
void AliasListToStrings(const hostent* entry, std::vector<std::string>& list);
int NetSocket_WSAIoctl(SOCKET s, DWORD code, void* in, DWORD inLength, void* out, DWORD outLength,
                       DWORD* returned);

}  // namespace sv::net
