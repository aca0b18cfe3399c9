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
      target = FindByHandle(wParam);
      break;
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
  if (registry.living.empty() && registry.adopted.empty()) registry.window.reset();
}

HWND SocketWindow() {
  Registry& registry = Sockets();
  return registry.window ? registry.window->Handle() : nullptr;
}

void AdoptForRelease(std::uint64_t id, std::unique_ptr<TCustomNetSocket> socket) {
  Sockets().adopted[id] = std::move(socket);
}

}  // namespace sv::net::detail

namespace sv::net {

void TCustomNetSocket::DetachWindow() {
  if (!window_) return;
  if (GetCurrentThreadId() != windowThread_) return ReportError("Cannot detach from other thread");
  if (handle_ != INVALID_SOCKET) ws::WSAAsyncSelect(handle_, window_, 0, 0);
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
