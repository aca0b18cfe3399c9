#pragma once
// The SOCKS layer of the socket: with a SOCKS server set, Connect reaches
// that server and negotiates a SOCKS 4, 4A or 5 connection to Addr:Port
// inside the socket's own events. The user sees OnSessionConnected(0) and
// data only once the server has granted the connection; without a server
// every operation is the plain socket's. Replies are read no further than
// the current stage needs, so target data that follows the final reply
// stays in the socket for the normal data path.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/core/SocksProto.h"
#include "net/win32/NetSocket.h"

namespace sv::net {

enum class TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };

// As OnSocksAuthState reports them: 0 starts, 1 succeeded, 2 the connection
// closed during it, 3 the server wanted none although it was offered.
enum class TSocksAuthState { Starting, Succeeded, ClosedDuring, NotRequiredByServer };

using TSocksErrorEvent = std::function<void(TCustomNetSocket* sender, std::int32_t error, const std::string& msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomNetSocket* sender, TSocksAuthState authState)>;

class TCustomSocksNetSocket : public TCustomNetSocket {
 public:
  explicit TCustomSocksNetSocket(forms::TComponent* owner) : TCustomNetSocket(owner) {}
  ~TCustomSocksNetSocket() override;

  // Each is refused unless the socket is closed; every close forgets the
  // server and the level, so they are set again before each Connect.
  const std::string& SocksServer() const { return socksServer_; }
  void SetSocksServer(const std::string& value);
  const std::string& SocksPort() const { return socksPort_; }
  void SetSocksPort(const std::string& value);
  // "4", "4A" or "5" ("4a" reads back "4A").
  const std::string& SocksLevel() const { return socksLevel_; }
  void SetSocksLevel(const std::string& value);
  std::string SocksUsercode;
  std::string SocksPassword;
  TSocksAuthentication SocksAuthentication = TSocksAuthentication::socksNoAuthentication;

  // What a SOCKS 5 server reports as bound for the granted connection.
  const std::string& SocksBoundAddress() const { return boundAddress_; }
  const std::string& SocksBoundPort() const { return boundPort_; }

  TSessionConnected OnSocksConnected;
  TSocksErrorEvent OnSocksError;
  TSocksAuthStateEvent OnSocksAuthState;

  void Connect() override;
  void Listen() override;

 protected:
  void ResetDefaults() override;
  bool TriggerDataAvailable(std::uint16_t errCode) override;
  void TriggerSessionConnected(std::uint16_t errCode) override;
  void TriggerSessionClosed(std::uint16_t errCode) override;

  // True from Connect through a SOCKS server until the server's grant or
  // the failure: received bytes then belong to the negotiation.
  bool SocksNegotiating() const { return phase_ != Phase::Data; }

  void TriggerSocksConnected(std::uint16_t errCode);
  void TriggerSocksError(std::int32_t error, const std::string& msg);
  void TriggerSocksAuthState(TSocksAuthState authState);

 private:
  enum class Phase { Data, AwaitingServer, Negotiating };

  void ConnectFailedAtOnce();
  // Reads the server's replies, stage-sized, and acts on them.
  void Negotiate();
  // Acts on one step of the negotiator; false once the negotiation ended
  // or the socket went.
  bool Act(const SocksNegotiator::Step& step);
  void SendNegotiation(const std::string& bytes);
  void Granted();
  void SocksFailed(int code, const std::string& text);

  std::string socksServer_, socksPort_, socksLevel_ = "5";
  Phase phase_ = Phase::Data;
  SocksRequest request_;
  std::unique_ptr<SocksNegotiator> negotiator_;
  std::string boundAddress_, boundPort_;
};

}  // namespace sv::net
