#include "net/win32/SocketWindow.h"

#include <atomic>
#include <map>

#include "forms/UtilityWindow.h"
#include "net/win32/NetSocket.h"

namespace sv::net::detail {

namespace {

// One per thread: a thread's window and its list are touched by that
// thread only.
struct Registry {
  std::map<std::uint64_t, TCustomNetSocket*> living;
  std::map<std::uint64_t, std::unique_ptr<TCustomNetSocket>> adopted;
  // Closed handle values and their markers still queued.
  std::map<SOCKET, int> retired;
  std::unique_ptr<forms::UtilityWindow> window;
};

Registry& Sockets() {
  thread_local Registry registry;
  return registry;
}

TCustomNetSocket* FindById(WPARAM id) {
  auto found = Sockets().living.find(static_cast<std::uint64_t>(id));
  return found == Sockets().living.end() ? nullptr : found->second;
}

TCustomNetSocket* FindByHandle(WPARAM handle) {
  for (auto& [id, socket] : Sockets().living)
    if (socket->Handle() != INVALID_SOCKET && socket->Handle() == static_cast<SOCKET>(handle)) return socket;
  return nullptr;
}

TCustomNetSocket* FindByLookup(WPARAM task) {
  for (auto& [id, socket] : Sockets().living)
    if (socket->DnsTask() && socket->DnsTask() == reinterpret_cast<HANDLE>(task)) return socket;
  // A completion that overtook the call starting its lookup belongs to the
  // socket inside that call.
  for (auto& [id, socket] : Sockets().living)
    if (socket->StartingLookup()) return socket;
  return nullptr;
}

LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam) {
  TCustomNetSocket* target = nullptr;
  switch (message) {
    case kMsgNetEvent:
      // Queued before the marker: the closed socket's, whoever has the value now.
      if (Sockets().retired.count(static_cast<SOCKET>(wParam)) != 0) return 0;
      target = FindByHandle(wParam);
      break;
    case kMsgHandleRetired: {
      auto marker = Sockets().retired.find(static_cast<SOCKET>(wParam));
      if (marker != Sockets().retired.end() && --marker->second == 0) Sockets().retired.erase(marker);
      return 0;
    }
    case kMsgDnsDone:
    case kMsgReverseDnsDone:
      target = FindByLookup(wParam);
      break;
    case kMsgRelease: {
      auto held = Sockets().adopted.find(static_cast<std::uint64_t>(wParam));
      if (held != Sockets().adopted.end()) {
        std::unique_ptr<TCustomNetSocket> socket = std::move(held->second);
        Sockets().adopted.erase(held);
        return 0;  // freed here, after every handler of the socket returned
      }
      target = FindById(wParam);
      break;
    }
    case kMsgCloseDelayed:
    case kMsgTestException:
    case kMsgLineRedeliver:
      target = FindById(wParam);
      break;
    default:
      return Sockets().window ? Sockets().window->DefaultHandle(message, wParam, lParam) : 0;
  }
  return target ? target->Dispatch(message, wParam, lParam) : 0;
}

}  // namespace

std::uint64_t NewSocketId() {
  static std::atomic<std::uint64_t> next{1};
  return next++;
}

HWND RegisterSocket(std::uint64_t id, TCustomNetSocket* socket) {
  Registry& registry = Sockets();
  if (!registry.window)
    registry.window = std::make_unique<forms::UtilityWindow>(&Route, forms::UtilityWindow::Kind::MessageOnly);
  registry.living[id] = socket;
  return registry.window->Handle();
}

void UnregisterSocket(std::uint64_t id) {
  Registry& registry = Sockets();
  registry.living.erase(id);
  if (registry.living.empty() && registry.adopted.empty()) {
    // The queued messages go with the window.
    registry.window.reset();
    registry.retired.clear();
  }
}

HWND SocketWindow() {
  Registry& registry = Sockets();
  return registry.window ? registry.window->Handle() : nullptr;
}

void AdoptForRelease(std::uint64_t id, std::unique_ptr<TCustomNetSocket> socket) {
  Sockets().adopted[id] = std::move(socket);
}

void RetireHandle(HWND window, SOCKET handle) {
  Registry& registry = Sockets();
  if (handle == INVALID_SOCKET || !registry.window || registry.window->Handle() != window) return;
  // Without its marker the value would stay retired for good.
  if (PostMessageW(window, kMsgHandleRetired, static_cast<WPARAM>(handle), 0)) ++registry.retired[handle];
}

}  // namespace sv::net::detail

namespace sv::net {

void TCustomNetSocket::DetachWindow() {
  if (!window_) return;
  if (GetCurrentThreadId() != windowThread_) return ReportError("Cannot detach from other thread");
  if (handle_ != INVALID_SOCKET) {
    ws::WSAAsyncSelect(handle_, window_, 0, 0);
    detail::RetireHandle(window_, handle_);
  }
  detail::UnregisterSocket(id_);
  window_ = nullptr;
  windowThread_ = 0;
}

void TCustomNetSocket::AttachWindow() {
  if (window_) return ReportError("Cannot attach when not detached");
  window_ = detail::RegisterSocket(id_, this);
  if (!window_) {
    detail::UnregisterSocket(id_);
    return ReportError("Cannot create a hidden window for TNetSocket");
  }
  windowThread_ = GetCurrentThreadId();
  if (handle_ != INVALID_SOCKET && !paused_) SelectEvents(selectMask_, "WSAAsyncSelect");
}

}  // namespace sv::net
