// The open of a stream station. The audio library blocks until the
// station's first audio (within its own deadline), so the open runs on a
// thread of its own while the window goes on serving its messages: a close,
// a "/quit" or a newer request of the playback road ends it at once.
#include <windows.h>

#include <atomic>
#include <thread>

#include "forms/Application.h"
#include "player/app/Unit1.h"

namespace player {

bool TForm1::StreamOpenInterrupted(unsigned serial) const {
  return Closed || PendingClose || CloseAfterNetCheck || RoadSerial != serial;
}

std::optional<HSONOCHANNEL> TForm1::OpenStreamChannel(const std::string& url) {
  const unsigned serial = RoadSerial;
  // A second start that asked for this need not wait for the station; its
  // atom is read and gone already.
  if (SenderWaits && InSendMessage()) ReplyMessage(1);
  SenderWaits = false;
  std::atomic<HSONOCHANNEL> created{0};
  std::atomic<bool> finished{false};
  std::jthread opener([&] {
    created = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
    finished = true;
  });
  while (!finished) {
    // Again on each turn: the thread may not have begun its open when the
    // interruption came, and a cancel only reaches opens in progress.
    if (StreamOpenInterrupted(serial)) SONO_StreamCancelURL();
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    forms::Application->ProcessMessages();
  }
  opener.join();
  if (!StreamOpenInterrupted(serial)) return created.load();
  // The station answered just as the road moved on: it is not wanted.
  if (created) SONO_StreamFree(created);
  return std::nullopt;
}

}  // namespace player
