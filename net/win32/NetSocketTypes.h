#pragma once
// Enumerations and small sets shared by the socket component's classes.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace sv::net {

enum class TSocketState {
  wsInvalidState, wsOpened, wsBound, wsConnecting, wsSocksConnected,
  wsConnected, wsAccepting, wsListening, wsClosed,
};

enum class TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum class TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum class TSocketKeepAliveOnOff { wsKeepAliveOff, wsKeepAliveOnCustom, wsKeepAliveOnSystem };
enum class TNetSocketOption { wsoNoReceiveLoop, wsoTcpNoDelay, wsoSIO_RCVALL };

class TNetSocketOptions {
 public:
  constexpr TNetSocketOptions() = default;
  constexpr TNetSocketOptions(std::initializer_list<TNetSocketOption> options) {
    for (TNetSocketOption option : options) Include(option);
  }
  constexpr bool Contains(TNetSocketOption option) const { return (bits_ & Bit(option)) != 0; }
  constexpr void Include(TNetSocketOption option) { bits_ = static_cast<std::uint8_t>(bits_ | Bit(option)); }
  constexpr void Exclude(TNetSocketOption option) { bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(option)); }

 private:
  static constexpr std::uint8_t Bit(TNetSocketOption option) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(option));
  }
  std::uint8_t bits_ = 0;
};

// The text of a sockets-library error code.
std::string NetSocketErrorDesc(int code);

}  // namespace sv::net
