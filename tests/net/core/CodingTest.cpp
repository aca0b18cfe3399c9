#include <gtest/gtest.h>

#include "net/core/HttpCoding.h"

namespace sv::net {
namespace {

struct Sink {
  std::string stream;
  std::string events;
  THttpCodingHandler handler{[this](const char* d, size_t n) { stream.append(d, n); },
                             [this](const char* d, size_t n) { events.append(d, n); }};
};

TEST(HttpCoding, DisabledSendsNothingAndPassesBytes) {
  Sink sink;
  EXPECT_EQ(sink.handler.HeaderText(), "");
  EXPECT_TRUE(sink.handler.Prepare("gzip"));
  sink.handler.Write("abc", 3);
  sink.handler.Complete();
  EXPECT_EQ(sink.stream, "abc");
  EXPECT_EQ(sink.events, "abc");
}

TEST(HttpCoding, HeaderTextWithAndWithoutQualities) {
  Sink sink;
  sink.handler.SetEnabled(true);
  EXPECT_EQ(sink.handler.HeaderText(), "");
  sink.handler.SetUseQuality(true);
  EXPECT_EQ(sink.handler.HeaderText(), "identity;q=0, *;q=0");
  // Qualities need at least two active items.
  sink.handler.SetItemEnabled(1, false);
  EXPECT_EQ(sink.handler.HeaderText(), "");
}

TEST(HttpCoding, QualityFormatIgnoresLocaleAndTrailingZeros) {
  EXPECT_EQ(FormatQuality(0), "0");
  EXPECT_EQ(FormatQuality(1), "1");
  EXPECT_EQ(FormatQuality(0.5f), "0.5");
  EXPECT_EQ(FormatQuality(0.125f), "0.125");
  EXPECT_EQ(FormatQuality(0.3333f), "0.333");
}

TEST(HttpCoding, KnownCodingsPassThroughUnknownStoresRaw) {
  Sink sink;
  sink.handler.SetEnabled(true);
  EXPECT_TRUE(sink.handler.Prepare("IDENTITY, *"));
  sink.handler.Write("xy", 2);
  EXPECT_EQ(sink.stream, "xy");
  EXPECT_FALSE(sink.handler.Prepare("identity, gzip"));
  sink.handler.Write("z", 1);
  EXPECT_EQ(sink.stream, "xyz");
}

TEST(HttpCoding, LongChainsAreCapped) {
  Sink sink;
  sink.handler.SetEnabled(true);
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "identity, ";
  EXPECT_FALSE(sink.handler.Prepare(many));
  std::string eight;
  for (size_t i = 0; i < THttpCodingHandler::kMaxChain; ++i) eight += "identity,,  ";
  EXPECT_TRUE(sink.handler.Prepare(eight));
  sink.handler.Write("ok", 2);
  EXPECT_EQ(sink.events, "ok");
}

TEST(HttpCoding, ChainOrderIsLastNamedFirst) {
  // A registered coding that tags what it passes shows the order. It stays
  // registered, so this runs after the tests of the built-in registry.
  static std::string trace;
  struct Tagging : THttpContentCoding {
    Tagging(CodingWrite out, char tag) : THttpContentCoding(std::move(out)), tag(tag) {}
    void WriteBuffer(const char* d, size_t n) override {
      trace += tag;
      output_(d, n);
    }
    void Complete() override { trace += static_cast<char>(tag - 'a' + 'A'); }
    char tag;
  };
  for (const char tag : {'a', 'b'}) {
    CodingClass cls;
    cls.className = std::string("THttpContentCodingTag") + tag;
    cls.create = [tag](CodingWrite out) -> std::unique_ptr<THttpContentCoding> {
      return std::make_unique<Tagging>(std::move(out), tag);
    };
    RegisterCoding(cls, 0.5f);
  }
  Sink sink;
  sink.handler.SetEnabled(true);
  EXPECT_EQ(sink.handler.HeaderText(), "Taga, Tagb");
  ASSERT_TRUE(sink.handler.Prepare("taga tagb"));
  sink.handler.Write("1", 1);
  sink.handler.Complete();
  EXPECT_EQ(trace, "baBA");
  EXPECT_EQ(sink.stream, "1");
}

TEST(HttpCoding, MisnamedClassIsRefused) {
  CodingClass cls;
  cls.className = "Deflater";
  EXPECT_THROW(RegisterCoding(cls, 1), EHttpContentCodingException);
}

}  // namespace
}  // namespace sv::net
