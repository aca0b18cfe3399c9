#pragma once
// The loopback peers of mms_peer.py, for the player run behind them: their
// ports, and the "held" station that answers only when the test says so.
#include <string>

namespace playertest {

// The port of a peer behaviour (MMS_PEER_<NAME>), empty when not run behind
// the peers.
std::string PeerPort(const char* name);
std::string PeerStation(const char* name);
std::string HeldStation();
// Tells the held station what to do: 'p' answer and play (and every later
// request), 'f' fail what it holds, 'h' hold what comes next.
bool ReleaseHeldStation(char order);
// How many requests the held station holds now, -1 when it cannot be asked.
int HeldRequests();

}  // namespace playertest
