#pragma once
// Line mode of a socket without the socket: received bytes are stored, edited
// or echoed, and every complete line (line end included) is offered to the
// reader, who takes it with Read. The socket feeds what it receives and
// forwards echo bytes to its peer.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sv::net {

class LineAssembler {
 public:
  // Stored bytes without a line end never exceed this, whatever LineLimit
  // says (a limit of 0 or less would otherwise grow without bound).
  static constexpr int64_t kHardLimit = 1 << 20;

  std::string LineEnd = "\r\n";
  int64_t LineLimit = 65536;
  bool LineEcho = false;
  bool LineEdit = false;

  // A line is on offer (OfferedLength() > 0); the handler reads it with Read.
  // Returns false when no handler exists: the line is then dropped. A call
  // that reads nothing of the line also drops what is left of it, so a
  // handler that never reads cannot keep the assembler spinning.
  std::function<bool()> OnLineOffered;
  // More than LineLimit bytes are stored without a line end; clearData
  // (true on entry) discards them when it stays true.
  std::function<void(int64_t stored, bool& clearData)> OnLineLimitExceeded;
  // Bytes to send back to the peer (LineEcho / LineEdit).
  std::function<void(std::string_view)> OnEcho;

  bool LineMode() const { return lineMode_; }
  // True when stored bytes or an offered line wait, so that the socket
  // redelivers them (WM_USER+20).
  bool SetLineMode(bool value);

  // Adds newly received bytes, then offers every complete line. An empty
  // feed only looks at the stored bytes again.
  void Feed(std::string_view received);
  // Copies up to len bytes of the offered line (without LineMode, of the
  // stored bytes) and removes them.
  size_t Read(char* out, size_t len);
  // The connection closed: stored bytes are offered as a last line without
  // line end (in line mode), then everything is dropped.
  void Close();

  int64_t OfferedLength() const { return offered_; }
  bool LineFound() const { return lineFound_; }
  void ClearLineFound() { lineFound_ = false; }
  std::string_view Stored() const { return buffer_; }

 private:
  // Applies LineEdit to the new bytes; returns where the search for a line
  // end must start.
  size_t Append(std::string_view received);
  void Offer(size_t length);

  std::string buffer_;
  int64_t offered_ = 0;
  bool lineMode_ = false;
  bool lineFound_ = false;
};

}  // namespace sv::net
