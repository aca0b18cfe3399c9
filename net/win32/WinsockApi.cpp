#include "net/win32/WinsockApi.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace sv::net {

namespace {

const char kLibrary[] = "wsock32.dll";
const char kLibrary2[] = "ws2_32.dll";

enum Function {
  kWSAStartup, kWSACleanup, kWSASetLastError, kWSAGetLastError, kWSACancelAsyncRequest,
  kWSAAsyncGetHostByName, kWSAAsyncGetHostByAddr, kWSAAsyncSelect, kGetservbyname, kGetprotobyname,
  kGethostbyname, kGethostbyaddr, kGethostname, kSocket, kShutdown, kSetsockopt, kGetsockopt, kSendto,
  kSend, kRecv, kRecvfrom, kNtohs, kListen, kIoctlsocket, kInetNtoa, kInetAddr, kHtons, kGetsockname,
  kGetpeername, kConnect, kClosesocket, kBind, kAccept, kFunctionCount
};

const char* const kNames[kFunctionCount] = {
  "WSAStartup", "WSACleanup", "WSASetLastError", "WSAGetLastError", "WSACancelAsyncRequest",
  "WSAAsyncGetHostByName", "WSAAsyncGetHostByAddr", "WSAAsyncSelect", "getservbyname", "getprotobyname",
  "gethostbyname", "gethostbyaddr", "gethostname", "socket", "shutdown", "setsockopt", "getsockopt", "sendto",
  "send", "recv", "recvfrom", "ntohs", "listen", "ioctlsocket", "inet_ntoa", "inet_addr", "htons",
  "getsockname", "getpeername", "connect", "closesocket", "bind", "accept",
};

struct Library {
  std::recursive_mutex lock;
  HMODULE wsock = nullptr;
  HMODULE ws2 = nullptr;
  WSADATA startup{};
  std::uint8_t verLow = 1;
  std::uint8_t verHigh = 1;
  int held = 0;
  // Written under the lock, read without it.
  std::atomic<void*> table[kFunctionCount] = {};
  std::atomic<void*> ioctl{nullptr};
  // Functions put in place by tests; they survive an unload.
  std::atomic<void*> replaced[kFunctionCount] = {};
};

Library& Lib() {
  static Library library;
  return library;
}

std::string LastErrorText() { return std::to_string(GetLastError()); }

void* FindIn(HMODULE module, std::string_view name, const char* libraryName) {
  std::string zname(name);
  FARPROC address = GetProcAddress(module, zname.c_str());
  if (!address)
    throw ESocketException("Procedure " + zname + " not found in " + libraryName + " Error #" + LastErrorText());
  return reinterpret_cast<void*>(address);
}

template <class T>
T Bound(Function f) {
  if (void* replaced = Lib().replaced[f].load(std::memory_order_acquire)) return reinterpret_cast<T>(replaced);
  void* address = Lib().table[f].load(std::memory_order_acquire);
  if (!address) {
    address = LoadWinsockFunction(kNames[f]);
    Lib().table[f].store(address, std::memory_order_release);
  }
  return reinterpret_cast<T>(address);
}

bool ProcessIsEnding() {
  using Query = BOOLEAN(NTAPI*)();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto query = ntdll ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDllShutdownInProgress")))
                     : nullptr;
  return query && query();
}

// The library is released at the end of the program when no component holds
// it, also after lookups made without any component. Not when the process is
// ending: the system ended the other threads wherever they were, perhaps
// inside the library lock, and frees the library itself. Nor while another
// thread is inside the lock: waiting for it at the exit could wait forever.
struct UnitEnd {
  UnitEnd() { Lib(); }  // the library record outlives this object
  ~UnitEnd() {
    if (ProcessIsEnding()) return;
    std::unique_lock guard(Lib().lock, std::try_to_lock);
    if (guard.owns_lock()) UnloadWinsock();
  }
  UnitEnd(const UnitEnd&) = delete;
  UnitEnd& operator=(const UnitEnd&) = delete;
};
const UnitEnd unitEnd;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

bool ReplaceWinsockFunctionForTesting(std::string_view name, void* function) {
  for (int f = 0; f < kFunctionCount; ++f) {
    if (name != kNames[f]) continue;
    Lib().replaced[f].store(function, std::memory_order_release);
    return true;
  }
  return false;
}

std::uint8_t RequestedVersionLow() { return Lib().verLow; }
std::uint8_t RequestedVersionHigh() { return Lib().verHigh; }

bool SetRequestedVersion(std::uint8_t low, std::uint8_t high) {
  std::lock_guard guard(Lib().lock);
  if (Lib().wsock) return low == Lib().verLow && high == Lib().verHigh;
  Lib().verLow = low;
  Lib().verHigh = high;
  return true;
}

bool WinsockLoaded() {
  std::lock_guard guard(Lib().lock);
  return Lib().wsock != nullptr;
}

void* LoadWinsockFunction(std::string_view name) {
  Library& lib = Lib();
  std::lock_guard guard(lib.lock);
  if (!lib.wsock) {
    HMODULE module = LoadLibraryA(kLibrary);
    if (!module) throw ESocketException(std::string("Unable to load ") + kLibrary + " Error #" + LastErrorText());
    lib.wsock = module;
    OutputDebugStringA("NetSocket: sockets library loaded\n");
    using Startup = int(WSAAPI*)(WORD, WSADATA*);
    void* replaced = lib.replaced[kWSAStartup].load(std::memory_order_acquire);
    auto startup = reinterpret_cast<Startup>(replaced ? replaced : FindIn(module, kNames[kWSAStartup], kLibrary));
    lib.table[kWSAStartup].store(reinterpret_cast<void*>(startup));
    // The library stays loaded after a failed start-up: every later call then
    // fails with "not initialised", which the components report.
    int result = startup(static_cast<WORD>(lib.verLow | (lib.verHigh << 8)), &lib.startup);
    if (result != 0) {
      char text[128];
      std::snprintf(text, sizeof text, "%s: WSAStartup error #%d", kLibrary, result);
      throw ESocketException(text);
    }
  }
  if (name.empty()) return nullptr;
  return FindIn(lib.wsock, name, kLibrary);
}

void* LoadWinsock2Function(std::string_view name) {
  Library& lib = Lib();
  std::lock_guard guard(lib.lock);
  if (!lib.ws2) {
    LoadWinsockFunction({});
    HMODULE module = LoadLibraryA(kLibrary2);
    if (!module) throw ESocketException(std::string("Unable to load ") + kLibrary2 + " Error #" + LastErrorText());
    lib.ws2 = module;
  }
  return FindIn(lib.ws2, name, kLibrary2);
}

void HoldLibrary() {
  std::lock_guard guard(Lib().lock);
  ++Lib().held;
}

void ReleaseLibrary() {
  std::lock_guard guard(Lib().lock);
  if (--Lib().held < 1) {
    Lib().held = 0;
    UnloadWinsock();
  }
}

int HeldCount() {
  std::lock_guard guard(Lib().lock);
  return Lib().held;
}

void UnloadWinsock() {
  Library& lib = Lib();
  std::lock_guard guard(lib.lock);
  if (!lib.wsock || lib.held > 0) return;
  if (void* cleanup = lib.table[kWSACleanup].load()) {
    reinterpret_cast<int(WSAAPI*)()>(cleanup)();
  } else {
    FARPROC address = GetProcAddress(lib.wsock, kNames[kWSACleanup]);
    if (address) reinterpret_cast<int(WSAAPI*)()>(reinterpret_cast<void*>(address))();
  }
  if (lib.ws2) FreeLibrary(lib.ws2);
  lib.ws2 = nullptr;
  lib.ioctl.store(nullptr);
  FreeLibrary(lib.wsock);
  lib.wsock = nullptr;
  for (auto& slot : lib.table) slot.store(nullptr);
}

namespace ws {

int WSAGetLastError() { return Bound<int(WSAAPI*)()>(kWSAGetLastError)(); }
void WSASetLastError(int error) { Bound<void(WSAAPI*)(int)>(kWSASetLastError)(error); }
int WSACancelAsyncRequest(HANDLE task) {
  return Bound<int(WSAAPI*)(HANDLE)>(kWSACancelAsyncRequest)(task);
}
HANDLE WSAAsyncGetHostByName(HWND window, u_int message, const char* name, char* buffer, int length) {
  return Bound<HANDLE(WSAAPI*)(HWND, u_int, const char*, char*, int)>(kWSAAsyncGetHostByName)(
      window, message, name, buffer, length);
}
HANDLE WSAAsyncGetHostByAddr(HWND window, u_int message, const char* address, int length, int type,
                             char* buffer, int bufferLength) {
  return Bound<HANDLE(WSAAPI*)(HWND, u_int, const char*, int, int, char*, int)>(kWSAAsyncGetHostByAddr)(
      window, message, address, length, type, buffer, bufferLength);
}
int WSAAsyncSelect(SOCKET s, HWND window, u_int message, long events) {
  return Bound<int(WSAAPI*)(SOCKET, HWND, u_int, long)>(kWSAAsyncSelect)(s, window, message, events);
}
servent* getservbyname(const char* name, const char* proto) {
  return Bound<servent*(WSAAPI*)(const char*, const char*)>(kGetservbyname)(name, proto);
}
protoent* getprotobyname(const char* name) {
  return Bound<protoent*(WSAAPI*)(const char*)>(kGetprotobyname)(name);
}
hostent* gethostbyname(const char* name) { return Bound<hostent*(WSAAPI*)(const char*)>(kGethostbyname)(name); }
hostent* gethostbyaddr(const char* address, int length, int type) {
  return Bound<hostent*(WSAAPI*)(const char*, int, int)>(kGethostbyaddr)(address, length, type);
}
int gethostname(char* name, int length) { return Bound<int(WSAAPI*)(char*, int)>(kGethostname)(name, length); }
SOCKET socket(int family, int type, int protocol) {
  return Bound<SOCKET(WSAAPI*)(int, int, int)>(kSocket)(family, type, protocol);
}
int shutdown(SOCKET s, int how) { return Bound<int(WSAAPI*)(SOCKET, int)>(kShutdown)(s, how); }
int setsockopt(SOCKET s, int level, int name, const char* value, int length) {
  return Bound<int(WSAAPI*)(SOCKET, int, int, const char*, int)>(kSetsockopt)(s, level, name, value, length);
}
int getsockopt(SOCKET s, int level, int name, char* value, int* length) {
  return Bound<int(WSAAPI*)(SOCKET, int, int, char*, int*)>(kGetsockopt)(s, level, name, value, length);
}
int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr* to, int toLength) {
  return Bound<int(WSAAPI*)(SOCKET, const char*, int, int, const sockaddr*, int)>(kSendto)(s, data, length, flags,
                                                                                          to, toLength);
}
int send(SOCKET s, const char* data, int length, int flags) {
  return Bound<int(WSAAPI*)(SOCKET, const char*, int, int)>(kSend)(s, data, length, flags);
}
int recv(SOCKET s, char* data, int length, int flags) {
  return Bound<int(WSAAPI*)(SOCKET, char*, int, int)>(kRecv)(s, data, length, flags);
}
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr* from, int* fromLength) {
  return Bound<int(WSAAPI*)(SOCKET, char*, int, int, sockaddr*, int*)>(kRecvfrom)(s, data, length, flags, from,
                                                                                 fromLength);
}
u_short ntohs(u_short value) { return Bound<u_short(WSAAPI*)(u_short)>(kNtohs)(value); }
int listen(SOCKET s, int backlog) { return Bound<int(WSAAPI*)(SOCKET, int)>(kListen)(s, backlog); }
int ioctlsocket(SOCKET s, long command, u_long* argument) {
  return Bound<int(WSAAPI*)(SOCKET, long, u_long*)>(kIoctlsocket)(s, command, argument);
}
char* inet_ntoa(in_addr address) { return Bound<char*(WSAAPI*)(in_addr)>(kInetNtoa)(address); }
unsigned long inet_addr(const char* text) { return Bound<unsigned long(WSAAPI*)(const char*)>(kInetAddr)(text); }
u_short htons(u_short value) { return Bound<u_short(WSAAPI*)(u_short)>(kHtons)(value); }
int getsockname(SOCKET s, sockaddr* name, int* length) {
  return Bound<int(WSAAPI*)(SOCKET, sockaddr*, int*)>(kGetsockname)(s, name, length);
}
int getpeername(SOCKET s, sockaddr* name, int* length) {
  return Bound<int(WSAAPI*)(SOCKET, sockaddr*, int*)>(kGetpeername)(s, name, length);
}
int connect(SOCKET s, const sockaddr* name, int length) {
  return Bound<int(WSAAPI*)(SOCKET, const sockaddr*, int)>(kConnect)(s, name, length);
}
int closesocket(SOCKET s) { return Bound<int(WSAAPI*)(SOCKET)>(kClosesocket)(s); }
int bind(SOCKET s, const sockaddr* name, int length) {
  return Bound<int(WSAAPI*)(SOCKET, const sockaddr*, int)>(kBind)(s, name, length);
}
SOCKET accept(SOCKET s, sockaddr* address, int* length) {
  return Bound<SOCKET(WSAAPI*)(SOCKET, sockaddr*, int*)>(kAccept)(s, address, length);
}
int WSAIoctl(SOCKET s, DWORD code, void* in, DWORD inLength, void* out, DWORD outLength, DWORD* returned,
             void* overlapped, void* completion) {
  using Ioctl = int(WSAAPI*)(SOCKET, DWORD, void*, DWORD, void*, DWORD, DWORD*, void*, void*);
  void* address = Lib().ioctl.load(std::memory_order_acquire);
  if (!address) {
    address = LoadWinsock2Function("WSAIoctl");
    Lib().ioctl.store(address, std::memory_order_release);
  }
  return reinterpret_cast<Ioctl>(address)(s, code, in, inLength, out, outLength, returned, overlapped, completion);
}

}  // namespace ws

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

std::uint32_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::uint64_t value = 0;
  for (; i < text.size() && IsDigitChar(text[i]); ++i) {
    value = std::min<std::uint64_t>(value * 10 + static_cast<unsigned>(text[i] - '0'), 0xFFFFFFFFu);
  }
  return static_cast<std::uint32_t>(value);
}

bool IsDottedQuad(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '.') return false;
  int dots = 0;
  unsigned part = 0;  // saturates at 256: any larger value is refused alike
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigitChar(c)) {
      part = std::min(part * 10 + static_cast<unsigned>(c - '0'), 256u);
    } else if (c == '.') {
      if (++dots > 3 || part > 255 || i + 1 >= text.size() || !IsDigitChar(text[i + 1])) return false;
      part = 0;
    } else {
      if (Trim(text.substr(i + 1)).size() != 0) return false;
      break;
    }
  }
  return dots == 3 && part <= 255;
}

std::string DottedAddress(std::uint32_t address) {
  in_addr in{};
  in.s_addr = address;
  const char* text = ws::inet_ntoa(in);
  return text ? std::string(text) : std::string();
}

std::uint32_t NetSocketResolveHost(std::string_view host) {
  if (host.empty() || host.size() > 256)
    throw ESocketException("NetSocketResolveHost: '" + std::string(host) + "' Invalid Hostname.");
  std::string name(Trim(host));
  if (IsDottedQuad(name)) {
    std::uint32_t address = static_cast<std::uint32_t>(ws::inet_addr(name.c_str()));
    if (address == 0xFFFFFFFFu && name != "255.255.255.255")
      throw ESocketException("NetSocketResolveHost: '" + std::string(host) + "' Invalid IP address.");
    return address;
  }
  hostent* entry = ws::gethostbyname(name.c_str());
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0]) {
    char text[400];
    std::snprintf(text, sizeof text, "NetSocketResolveHost: Cannot convert host address '%s', Error #%d",
                  std::string(host).c_str(), ws::WSAGetLastError());
    throw ESocketException(text);
  }
  std::uint32_t address;
  std::memcpy(&address, entry->h_addr_list[0], 4);
  return address;
}

std::uint16_t NetSocketResolvePort(std::string_view port, std::string_view proto) {
  if (port.empty() || port.size() >= 32) throw ESocketException("NetSocketResolvePort: Invalid Port.");
  if (proto.empty() || proto.size() >= 32) throw ESocketException("NetSocketResolvePort: Invalid Proto.");
  if (IsDigitChar(port[0])) {
    // Keeping only the low 16 bits would quietly connect somewhere else.
    std::uint32_t number = LeadingNumber(port);
    if (number > 65535) throw ESocketException("NetSocketResolvePort: Invalid Port.");
    return static_cast<std::uint16_t>(number);
  }
  std::string name(Trim(port));
  std::string protoName(Trim(proto));
  servent* entry = ws::getservbyname(name.c_str(), protoName.empty() ? nullptr : protoName.c_str());
  if (!entry) {
    char text[200];
    std::snprintf(text, sizeof text, "NetSocketResolvePort: Cannot convert port '%s', Error #%d",
                  std::string(port).c_str(), ws::WSAGetLastError());
    throw ESocketException(text);
  }
  return NetToHost16(static_cast<std::uint16_t>(entry->s_port));
}

int NetSocketResolveProto(std::string_view proto) {
  if (proto.empty() || proto.size() >= 32) throw ESocketException("NetSocketResolveProto: Invalid Protocol.");
  if (IsDigitChar(proto[0])) return static_cast<int>(std::min<std::uint32_t>(LeadingNumber(proto), 0x7FFFFFFF));
  std::string name(Trim(proto));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "tcp") return IPPROTO_TCP;
  if (name == "udp") return IPPROTO_UDP;
  if (name == "raw") return IPPROTO_RAW;
  protoent* entry = ws::getprotobyname(name.c_str());
  if (!entry) {
    char text[200];
    std::snprintf(text, sizeof text, "NetSocketResolveProto: Cannot convert protocol '%s', Error #%d", name.c_str(),
                  ws::WSAGetLastError());
    throw ESocketException(text);
  }
  return entry->p_proto;
}

std::string LocalHostName() {
  LibraryHold hold;
  char buffer[64] = {};
  if (ws::gethostname(buffer, sizeof buffer) != 0) throw ESocketException("Winsock.GetHostName failed");
  buffer[sizeof buffer - 1] = 0;
  return buffer;
}

void AddressListToStrings(const hostent* entry, std::vector<std::string>& list) {
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list) return;
  LibraryHold hold;
  for (char** item = entry->h_addr_list; *item; ++item) {
    std::uint32_t address;
    std::memcpy(&address, *item, 4);
    list.push_back(DottedAddress(address));
  }
}

void AliasListToStrings(const hostent* entry, std::vector<std::string>& list) {
  if (!entry || !entry->h_aliases) return;
  for (char** item = entry->h_aliases; *item; ++item)
    if (**item) list.emplace_back(*item);
}

int NetSocket_WSAIoctl(SOCKET s, DWORD code, void* in, DWORD inLength, void* out, DWORD outLength,
                       DWORD* returned) {
  LibraryHold hold;
  return ws::WSAIoctl(s, code, in, inLength, out, outLength, returned, nullptr, nullptr);
}

}  // namespace sv::net
