#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/core/NetLineAssembler.h"
#include "net/core/NetSockBuf.h"

namespace sv::net {
namespace {

TEST(TBuffer, SizeZeroMeansDefaultAndCountersReset) {
  TBuffer buffer(0);
  EXPECT_EQ(buffer.Size(), 1514u);
  EXPECT_EQ(buffer.Write("abcdef", 6), 6u);
  EXPECT_EQ(buffer.Write("x", -4), 0u);
  EXPECT_EQ(buffer.Remove(2), 2u);
  EXPECT_EQ(buffer.Peek(), "cdef");
  EXPECT_EQ(buffer.Remove(100), 4u);
  EXPECT_EQ(buffer.WrCount(), 0u);
  EXPECT_EQ(buffer.RdCount(), 0u);
  EXPECT_TRUE(buffer.Peek().empty());
}

TEST(TBuffer, ShrinkKeepsOnlyUnsentAndRefusesWhenTooSmall) {
  TBuffer buffer(16);
  buffer.Write("0123456789", 10);
  buffer.Remove(6);
  EXPECT_FALSE(buffer.SetBufSize(3));
  EXPECT_EQ(buffer.Peek(), "6789");
  EXPECT_TRUE(buffer.SetBufSize(4));
  EXPECT_EQ(buffer.Size(), 4u);
  EXPECT_EQ(buffer.Peek(), "6789");
  EXPECT_EQ(buffer.Write("z", 1), 0u);
}

struct CountingLock : SendQueueLock {
  void Lock() override { ++depth, ++locks; }
  void Unlock() override { --depth; }
  int depth = 0;
  int locks = 0;
};

TEST(SendQueue, ChunksAndPartialSendsResume) {
  CountingLock lock;
  SendQueue queue(&lock);
  const std::string data(3000, 'q');
  queue.QueueSendData(data.data(), 3000);
  ASSERT_EQ(queue.ChunkCount(), 3u);
  EXPECT_EQ(queue.Chunk(0).WrCount(), 1460u);
  EXPECT_EQ(queue.Chunk(1).WrCount(), 1460u);
  EXPECT_EQ(queue.Chunk(2).WrCount(), 80u);
  EXPECT_FALSE(queue.AllSent());

  std::vector<size_t> offers;
  size_t total = 0;
  auto takeAtMost = [&](size_t limit) {
    return [&, limit](const char*, size_t n) {
      offers.push_back(n);
      return RawSendResult{static_cast<int64_t>(std::min(n, limit)), 0};
    };
  };
  auto onSent = [&](size_t n) {
    EXPECT_EQ(lock.depth, 1);
    total += n;
  };
  EXPECT_EQ(queue.TryToSend(takeAtMost(1000), onSent).outcome, SendOutcome::Waiting);
  EXPECT_EQ(queue.Chunk(0).Peek().size(), 460u);
  EXPECT_EQ(queue.QueuedBytes(), 2000);
  EXPECT_EQ(queue.TryToSend(takeAtMost(100000), onSent).outcome, SendOutcome::AllSent);
  EXPECT_EQ(offers, (std::vector<size_t>{1460, 460, 1460, 80}));
  EXPECT_EQ(total, 3000u);
  EXPECT_TRUE(queue.AllSent());
  EXPECT_EQ(queue.QueuedBytes(), 0);
  EXPECT_EQ(lock.depth, 0);
}

TEST(SendQueue, ErrorsAreClassifiedNotReported) {
  SendQueue queue;
  queue.QueueSendData("abc", 3);
  auto failWith = [](int error) {
    return [error](const char*, size_t) { return RawSendResult{-1, error}; };
  };
  EXPECT_EQ(queue.TryToSend(failWith(10035), nullptr).outcome, SendOutcome::Waiting);
  for (const int lost : {10022, 10038, 10053, 10054, 10057}) {
    const TrySendResult r = queue.TryToSend(failWith(lost), nullptr);
    EXPECT_EQ(r.outcome, SendOutcome::ConnectionLost);
    EXPECT_EQ(r.error, lost);
  }
  EXPECT_EQ(queue.TryToSend(failWith(10055), nullptr).outcome, SendOutcome::Failed);
  EXPECT_EQ(queue.TryToSend([](const char*, size_t) { return RawSendResult{}; }, nullptr).outcome,
            SendOutcome::Stopped);
  EXPECT_EQ(queue.QueuedBytes(), 3);
  queue.Discard();
  EXPECT_EQ(queue.ChunkCount(), 0u);
  EXPECT_EQ(queue.TryToSend(failWith(10054), nullptr).outcome, SendOutcome::AllSent);
}

TEST(SendQueue, HandlerMayDiscardOrQueueWhileSending) {
  SendQueue queue;
  const std::string data(4000, 'd');
  queue.QueueSendData(data.data(), 4000);
  auto takeAll = [](const char*, size_t n) { return RawSendResult{static_cast<int64_t>(n), 0}; };
  EXPECT_EQ(queue.TryToSend(takeAll, [&](size_t) { queue.Discard(); }).outcome, SendOutcome::AllSent);
  queue.QueueSendData("x", 1);
  int extra = 2;
  std::string seen;
  auto record = [&](const char* d, size_t n) {
    seen.append(d, n);
    return RawSendResult{static_cast<int64_t>(n), 0};
  };
  EXPECT_EQ(queue.TryToSend(record,
                            [&](size_t) {
                              if (extra-- > 0) queue.QueueSendData("y", 1);
                            })
                .outcome,
            SendOutcome::AllSent);
  EXPECT_EQ(seen, "xyy");
}

struct Lines {
  LineAssembler lines;
  std::vector<std::string> got;
  std::string echoed;
  Lines() {
    lines.SetLineMode(true);
    lines.OnLineOffered = [this] {
      std::string line(static_cast<size_t>(lines.OfferedLength()), '\0');
      line.resize(lines.Read(line.data(), line.size()));
      got.push_back(line);
      return true;
    };
    lines.OnEcho = [this](std::string_view s) { echoed += s; };
  }
};

TEST(LineAssembler, SplitLineEndIsFound) {
  Lines l;
  l.lines.Feed("abc\r");
  EXPECT_TRUE(l.got.empty());
  l.lines.Feed("\ndef");
  EXPECT_EQ(l.got, (std::vector<std::string>{"abc\r\n"}));
  EXPECT_EQ(l.lines.Stored(), "def");
  l.lines.Feed("1\r\n2\r\n\r\n");
  EXPECT_EQ(l.got.size(), 4u);
  EXPECT_EQ(l.got[1], "def1\r\n");
  EXPECT_EQ(l.got[3], "\r\n");
}

TEST(LineAssembler, LongLineEndsAndByteWiseFeeding) {
  Lines l;
  l.lines.LineEnd = "<EOL>";
  const std::string text = "one<EOL>two<EO<EOL>three";
  for (const char c : text) l.lines.Feed(std::string_view(&c, 1));
  EXPECT_EQ(l.got, (std::vector<std::string>{"one<EOL>", "two<EO<EOL>"}));
  l.lines.Close();
  EXPECT_EQ(l.got.back(), "three");
  EXPECT_TRUE(l.lines.Stored().empty());
}

TEST(LineAssembler, LimitFiresAndDropsByDefault) {
  Lines l;
  int64_t reported = 0;
  l.lines.OnLineLimitExceeded = [&](int64_t stored, bool&) { reported = stored; };
  l.lines.Feed(std::string(65537, 'x'));
  EXPECT_EQ(reported, 65537);
  EXPECT_TRUE(l.lines.Stored().empty());
  // A handler may keep the bytes, but never past the hard ceiling.
  l.lines.LineLimit = 0;
  l.lines.OnLineLimitExceeded = [&](int64_t stored, bool& clear) {
    reported = stored;
    clear = false;
  };
  l.lines.Feed(std::string(LineAssembler::kHardLimit + 1, 'y'));
  EXPECT_EQ(reported, LineAssembler::kHardLimit + 1);
  EXPECT_TRUE(l.lines.Stored().empty());
}

TEST(LineAssembler, NonReadingHandlerDoesNotSpin) {
  LineAssembler lines;
  lines.SetLineMode(true);
  int calls = 0;
  lines.OnLineOffered = [&] {
    ++calls;
    return true;
  };
  lines.Feed("a\r\nb\r\nc");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(lines.Stored(), "c");
  lines.OnLineOffered = nullptr;
  lines.Feed("\r\n");
  EXPECT_TRUE(lines.Stored().empty());
}

TEST(LineAssembler, EditLineBackspaceTabAndEcho) {
  Lines l;
  l.lines.LineEdit = true;
  l.lines.LineEcho = true;
  l.lines.Feed("ab\bc");
  EXPECT_EQ(l.echoed, "ab\b \bc");
  l.lines.Feed("\b\b\b\b\tz\r\n");
  ASSERT_EQ(l.got.size(), 1u);
  EXPECT_EQ(l.got[0], "        z\r\n");
  // A backspace that removes the CR of a stored line end starts the search
  // earlier, so the new CR LF is still found.
  l.lines.Feed("q\r");
  l.lines.Feed("\b\r\n");
  EXPECT_EQ(l.got.back(), "q\r\n");
}

TEST(LineAssembler, EchoWithoutEditSendsBytesBack) {
  Lines l;
  l.lines.LineEcho = true;
  l.lines.Feed("hi\b\r\n");
  EXPECT_EQ(l.echoed, "hi\b\r\n");
  EXPECT_EQ(l.got.back(), "hi\b\r\n");
}

TEST(LineAssembler, ModeSwitchAsksForRedelivery) {
  LineAssembler lines;
  lines.Feed("abc\r\n");
  EXPECT_EQ(lines.Stored(), "abc\r\n");
  EXPECT_TRUE(lines.SetLineMode(true));
  std::vector<std::string> got;
  lines.OnLineOffered = [&] {
    char buf[2];
    const size_t n = lines.Read(buf, sizeof buf);
    got.emplace_back(buf, n);
    return true;
  };
  lines.Feed({});
  EXPECT_EQ(got, (std::vector<std::string>{"ab", "c\r", "\n"}));
  EXPECT_FALSE(lines.SetLineMode(true));
}

}  // namespace
}  // namespace sv::net
