// Name lookups of the socket component: asynchronous on the shared window,
// or at once for a literal address.
#include <cstdio>
#include <utility>

#include "net/win32/NetSocket.h"

namespace sv::net {

namespace {

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

void TCustomNetSocket::DnsLookup(const std::string& hostName) {
  if (hostName.empty()) {
    AliveToken alive = alive_;
    ReportError("DNS lookup: invalid host name.");
    if (*alive) TriggerDnsLookupDone(WSAEINVAL);
    return;
  }
  if (dnsTask_) {
    ws::WSACancelAsyncRequest(dnsTask_);
    dnsTask_ = nullptr;
  }
  dnsResult_.clear();
  dnsResultList_.clear();
  std::string name = Trimmed(hostName);
  if (IsDottedQuad(name)) {
    auto address = static_cast<std::uint32_t>(ws::inet_addr(name.c_str()));
    if (address != INADDR_NONE) {
      dnsResult_ = DottedAddress(address);
      dnsResultList_.push_back(dnsResult_);
      TriggerDnsLookupDone(0);
      return;
    }
  }
  if (!Window()) return ReportError("DnsLookup: Window not assigned");
  earlyCompletion_.reset();
  startingLookup_ = true;
  HANDLE task = ws::WSAAsyncGetHostByName(Window(), kMsgDnsDone, name.c_str(), dnsBuffer_.data(),
                                          static_cast<int>(dnsBuffer_.size()));
  startingLookup_ = false;
  dnsTask_ = task;
  if (!dnsTask_) {
    LastError = ws::WSAGetLastError();
    char text[400];
    std::snprintf(text, sizeof text, "%s: can't start DNS lookup, error #%d", name.c_str(), LastError);
    return ReportError(text);
  }
  if (std::optional<EarlyCompletion> early = std::exchange(earlyCompletion_, std::nullopt))
    HandleDnsDone(early->wParam, early->lParam);
}

void TCustomNetSocket::HandleDnsDone(WPARAM wParam, LPARAM lParam) {
  if (startingLookup_ && !dnsTask_) {
    earlyCompletion_ = EarlyCompletion{wParam, lParam};
    return;
  }
  if (!dnsTask_ || reinterpret_cast<HANDLE>(wParam) != dnsTask_) return;
  dnsTask_ = nullptr;
  auto error = static_cast<std::uint16_t>(WSAGETASYNCERROR(lParam));
  if (error == 0) {
    AddressListToStrings(reinterpret_cast<const hostent*>(dnsBuffer_.data()), dnsResultList_);
    if (!dnsResultList_.empty()) dnsResult_ = dnsResultList_.front();
  }
  TriggerDnsLookupDone(error);
}

bool TCustomNetSocket::StartReverseLookup(const std::string& address, std::uint32_t& converted) {
  if (address.empty() || address.size() > 256) {
    AliveToken alive = alive_;
    ReportError("ReverseDnsLookup: Invalid host name.");
    if (*alive) TriggerDnsLookupDone(WSAEINVAL);
    return false;
  }
  if (dnsTask_) {
    ws::WSACancelAsyncRequest(dnsTask_);
    dnsTask_ = nullptr;
  }
  dnsResult_.clear();
  dnsResultList_.clear();
  converted = static_cast<std::uint32_t>(ws::inet_addr(Trimmed(address).c_str()));
  return true;
}

void TCustomNetSocket::TakeHostName(const hostent* entry) {
  if (!entry || !entry->h_name) return;
  dnsResult_ = entry->h_name;
  dnsResultList_.push_back(dnsResult_);
  AliasListToStrings(entry, dnsResultList_);
}

void TCustomNetSocket::ReverseDnsLookup(const std::string& address) {
  std::uint32_t converted = 0;
  if (!StartReverseLookup(address, converted)) return;
  if (!Window()) return ReportError("ReverseDnsLookup: Window not assigned");
  dnsTask_ = ws::WSAAsyncGetHostByAddr(Window(), kMsgReverseDnsDone, reinterpret_cast<const char*>(&converted), 4,
                                       AF_INET, dnsBuffer_.data(), static_cast<int>(dnsBuffer_.size()));
  if (!dnsTask_) {
    LastError = ws::WSAGetLastError();
    char text[400];
    std::snprintf(text, sizeof text, "%s: can't start DNS lookup, error #%d", address.c_str(), LastError);
    ReportError(text);
  }
}

void TCustomNetSocket::ReverseDnsLookupSync(const std::string& address) {
  std::uint32_t converted = 0;
  if (!StartReverseLookup(address, converted)) return;
  const hostent* entry = ws::gethostbyaddr(reinterpret_cast<const char*>(&converted), 4, AF_INET);
  if (!entry) {
    LastError = ws::WSAGetLastError();
    return TriggerDnsLookupDone(static_cast<std::uint16_t>(LastError));
  }
  TakeHostName(entry);
  TriggerDnsLookupDone(0);
}

void TCustomNetSocket::HandleReverseDnsDone(WPARAM wParam, LPARAM lParam) {
  if (!dnsTask_ || reinterpret_cast<HANDLE>(wParam) != dnsTask_) return;
  dnsTask_ = nullptr;
  auto error = static_cast<std::uint16_t>(WSAGETASYNCERROR(lParam));
  if (error == 0) TakeHostName(reinterpret_cast<const hostent*>(dnsBuffer_.data()));
  TriggerDnsLookupDone(error);
}

void TCustomNetSocket::CancelDnsLookup() {
  if (!dnsTask_) return;
  HANDLE task = dnsTask_;
  dnsTask_ = nullptr;
  if (ws::WSACancelAsyncRequest(task) != 0) return ReportWinsockError("WSACancelAsyncRequest");
  if (!destroying_) TriggerDnsLookupDone(WSAEINTR);
}

}  // namespace sv::net
