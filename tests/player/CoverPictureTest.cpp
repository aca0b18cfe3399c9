// Cover pictures: JPEGs written by the host's libjpeg compressor at build
// time, decoded at each scale step, and damaged ones that must fail cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/TextFile.h"
#include "player/CoverPicture.h"

using player::CoverLayout;
using player::DecodedPicture;

namespace {

const std::string kFixtures = SV_COVER_FIXTURES;

std::string Fixture(const std::string& name) { return kFixtures + "/" + name; }

std::vector<std::uint8_t> FixtureBytes(const std::string& name) {
  const std::string bytes = sv::ReadFileBytes(Fixture(name));
  return {bytes.begin(), bytes.end()};
}

bool Decode(const std::vector<std::uint8_t>& bytes, DecodedPicture& out) {
  return player::DecodeJpeg(bytes.data(), bytes.size(), out);
}

struct Bgr {
  int b, g, r;
};

Bgr PixelAt(const DecodedPicture& p, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y) * p.Stride + static_cast<std::size_t>(x) * 3;
  return {p.Bgr[at], p.Bgr[at + 1], p.Bgr[at + 2]};
}

// Centre of each quadrant: red, green / blue, white, within JPEG loss.
void ExpectQuadrants(const DecodedPicture& p) {
  const int left = p.Width / 4, right = p.Width * 3 / 4, top = p.Height / 4, bottom = p.Height * 3 / 4;
  auto near = [](Bgr got, int r, int g, int b) {
    EXPECT_NEAR(got.r, r, 24);
    EXPECT_NEAR(got.g, g, 24);
    EXPECT_NEAR(got.b, b, 24);
  };
  near(PixelAt(p, left, top), 255, 0, 0);
  near(PixelAt(p, right, top), 0, 255, 0);
  near(PixelAt(p, left, bottom), 0, 0, 255);
  near(PixelAt(p, right, bottom), 255, 255, 255);
}

void ExpectEmpty(const DecodedPicture& p) {
  EXPECT_EQ(p.Width, 0);
  EXPECT_EQ(p.Height, 0);
  EXPECT_EQ(p.Stride, 0);
  EXPECT_TRUE(p.Bgr.empty());
}

// Offset of the frame header's height field (after FFC0/FFC2, length, precision).
std::size_t FrameSizeOffset(const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) return i + 5;
  }
  return 0;
}

}  // namespace

TEST(CoverScale, StepsAtTwoFourAndEightHundred) {
  EXPECT_EQ(player::CoverScaleDenominator(199, 199), 1);
  EXPECT_EQ(player::CoverScaleDenominator(200, 10), 2);
  EXPECT_EQ(player::CoverScaleDenominator(10, 200), 2);
  EXPECT_EQ(player::CoverScaleDenominator(399, 399), 2);
  EXPECT_EQ(player::CoverScaleDenominator(400, 399), 4);
  EXPECT_EQ(player::CoverScaleDenominator(799, 799), 4);
  EXPECT_EQ(player::CoverScaleDenominator(799, 800), 8);
  EXPECT_EQ(player::CoverScaleDenominator(5000, 1), 8);
}

TEST(CoverDecode, SizesAtEachScaleBoundary) {
  struct Case {
    int w, h, expectW, expectH;
  };
  // Scaled sides round up.
  const Case cases[] = {{199, 150, 199, 150}, {200, 150, 100, 75},  {150, 200, 75, 100},  {199, 199, 199, 199},
                        {399, 300, 200, 150}, {400, 300, 100, 75},  {300, 400, 75, 100},  {799, 600, 200, 150},
                        {800, 600, 100, 75},  {600, 800, 75, 100},  {1001, 903, 126, 113}, {16384, 16, 2048, 2}};
  for (const Case& c : cases) {
    const std::string name = "colour-" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".jpg";
    SCOPED_TRACE(name);
    DecodedPicture p;
    ASSERT_TRUE(player::DecodeJpegFile(Fixture(name), p));
    EXPECT_EQ(p.Width, c.expectW);
    EXPECT_EQ(p.Height, c.expectH);
    EXPECT_EQ(p.Stride % 4, 0);
    EXPECT_GE(p.Stride, p.Width * 3);
    EXPECT_LT(p.Stride, p.Width * 3 + 4);
    EXPECT_EQ(p.Bgr.size(), static_cast<std::size_t>(p.Stride) * p.Height);
    if (p.Height > 8) ExpectQuadrants(p);
  }
}

TEST(CoverDecode, GreyscaleGivesEqualChannels) {
  DecodedPicture p;
  ASSERT_TRUE(player::DecodeJpegFile(Fixture("grey-120x80.jpg"), p));
  ASSERT_EQ(p.Width, 120);
  ASSERT_EQ(p.Height, 80);
  for (int y = 0; y < p.Height; y += 7) {
    for (int x = 0; x < p.Width; x += 5) {
      const Bgr px = PixelAt(p, x, y);
      ASSERT_EQ(px.b, px.g);
      ASSERT_EQ(px.g, px.r);
    }
  }
  EXPECT_NEAR(PixelAt(p, 20, 40).r, 64, 8);
  EXPECT_NEAR(PixelAt(p, 100, 40).r, 192, 8);
}

TEST(CoverDecode, ProgressiveDecodesScaled) {
  DecodedPicture p;
  ASSERT_TRUE(player::DecodeJpegFile(Fixture("progressive-300x200.jpg"), p));
  EXPECT_EQ(p.Width, 150);
  EXPECT_EQ(p.Height, 100);
  ExpectQuadrants(p);
}

TEST(CoverDecode, CmykIsConvertedToBgr) {
  DecodedPicture p;
  ASSERT_TRUE(player::DecodeJpegFile(Fixture("cmyk-96x64.jpg"), p));
  EXPECT_EQ(p.Width, 96);
  EXPECT_EQ(p.Height, 64);
  ExpectQuadrants(p);
}

TEST(CoverDecode, OversizedSideIsRefused) {
  DecodedPicture p;
  EXPECT_FALSE(player::DecodeJpegFile(Fixture("colour-16385x16.jpg"), p));
  ExpectEmpty(p);
}

TEST(CoverDecode, DamagedDataFailsAndLeavesOutputEmpty) {
  const std::vector<std::uint8_t> good = FixtureBytes("colour-400x300.jpg");
  DecodedPicture p;
  ASSERT_TRUE(Decode(good, p));

  // A previous picture in `out` must not survive a failure.
  EXPECT_FALSE(player::DecodeJpeg(nullptr, 0, p));
  ExpectEmpty(p);

  for (std::size_t keep : {std::size_t{1}, std::size_t{2}, std::size_t{20}, good.size() / 3, good.size() / 2,
                           good.size() - 200}) {
    SCOPED_TRACE(keep);
    ASSERT_TRUE(Decode(good, p));
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_FALSE(Decode(cut, p));
    ExpectEmpty(p);
  }

  const std::vector<std::uint8_t> progressive = FixtureBytes("progressive-300x200.jpg");
  const std::vector<std::uint8_t> cutProgressive(progressive.begin(), progressive.begin() + progressive.size() / 2);
  EXPECT_FALSE(Decode(cutProgressive, p));
  ExpectEmpty(p);

  EXPECT_FALSE(player::DecodeJpegFile(Fixture("missing.jpg"), p));
  EXPECT_FALSE(player::DecodeJpegFile(kFixtures, p));
}

TEST(CoverDecode, ForgedFrameSizesFail) {
  const std::vector<std::uint8_t> good = FixtureBytes("colour-199x150.jpg");
  const std::size_t at = FrameSizeOffset(good);
  ASSERT_NE(at, 0u);
  DecodedPicture p;
  auto withSize = [&](int h, int w) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = static_cast<std::uint8_t>(h >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(h);
    bytes[at + 2] = static_cast<std::uint8_t>(w >> 8);
    bytes[at + 3] = static_cast<std::uint8_t>(w);
    return bytes;
  };
  EXPECT_FALSE(Decode(withSize(0, 199), p));
  EXPECT_FALSE(Decode(withSize(150, 0), p));
  EXPECT_FALSE(Decode(withSize(150, 40000), p));
  // More rows than the data holds: the data ends early.
  EXPECT_FALSE(Decode(withSize(1500, 199), p));
  ExpectEmpty(p);
}

TEST(CoverDecode, RandomBytesAndFlippedBytesNeverCrash) {
  std::mt19937 random(1234);
  DecodedPicture p;
  for (int round = 0; round < 50; ++round) {
    std::vector<std::uint8_t> noise(1 + random() % 4096);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    EXPECT_FALSE(Decode(noise, p));
  }
  // Damage inside a good file may still decode, with other colours, or fail;
  // either way the result is consistent.
  const std::vector<std::uint8_t> good = FixtureBytes("progressive-300x200.jpg");
  for (int round = 0; round < 100; ++round) {
    std::vector<std::uint8_t> bytes = good;
    for (int i = 0; i < 8; ++i) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    if (Decode(bytes, p)) {
      EXPECT_EQ(p.Bgr.size(), static_cast<std::size_t>(p.Stride) * p.Height);
      EXPECT_GT(p.Width, 0);
    } else {
      ExpectEmpty(p);
    }
  }
}

TEST(CoverDecode, ZeroByteFileFails) {
  const std::string path = Fixture("empty.jpg");
  sv::WriteFileAtomic(path, "");
  DecodedPicture p;
  EXPECT_FALSE(player::DecodeJpegFile(path, p));
  ExpectEmpty(p);
}

TEST(CoverDecode, NonAsciiPathOpens) {
  const std::string path = Fixture("Zo\xC3\xA9 \xE2\x99\xAB front.jpg");
  sv::WriteFileAtomic(path, sv::ReadFileBytes(Fixture("colour-199x150.jpg")));
  DecodedPicture p;
  ASSERT_TRUE(player::DecodeJpegFile(path, p));
  EXPECT_EQ(p.Width, 199);
}

TEST(FolderCover, FolderJpgWinsAnywhereInTheListing) {
  EXPECT_EQ(player::FindFolderCover({"a.jpg", "cd front.jpg", "FOLDER.JPG", "folder.jpg"}), "FOLDER.JPG");
  EXPECT_EQ(player::FindFolderCover({"b.jpg", "Folder.Jpg"}), "Folder.Jpg");
}

TEST(FolderCover, FrontBeforeAnyJpg) {
  EXPECT_EQ(player::FindFolderCover({"back.jpg", "Album FRONT.JPG", "front2.jpg"}), "Album FRONT.JPG");
  EXPECT_EQ(player::FindFolderCover({"z.jpg", "front.jpg"}), "front.jpg");
  // "front" must come before the extension, and the name must end in ".jpg".
  EXPECT_EQ(player::FindFolderCover({"a.jpg", "x.jpgfront"}), "a.jpg");
  EXPECT_EQ(player::FindFolderCover({"b.jpg", "front.jpeg", "front.png"}), "b.jpg");
  EXPECT_EQ(player::FindFolderCover({"cover.jpg", "fro.jpg", "frontal.jpg"}), "frontal.jpg");
}

TEST(FolderCover, FirstJpgOrNothing) {
  EXPECT_EQ(player::FindFolderCover({"notes.txt", "Scan 2.JPG", "scan 1.jpg"}), "Scan 2.JPG");
  EXPECT_EQ(player::FindFolderCover({".jpg"}), ".jpg");
  EXPECT_EQ(player::FindFolderCover({"song.mp3", "jpg", "folder.jpg.txt", ""}), "");
  EXPECT_EQ(player::FindFolderCover({}), "");
}

TEST(CoverLayoutMaths, LongSideIsHundredPixels) {
  CoverLayout l;
  ASSERT_TRUE(player::LayoutCover(300, 200, l));
  EXPECT_EQ(l.PanelWidth, 100);
  EXPECT_EQ(l.PanelHeight, 66);
  EXPECT_EQ(l.RatioTag, 66);

  ASSERT_TRUE(player::LayoutCover(200, 300, l));
  EXPECT_EQ(l.PanelWidth, 66);
  EXPECT_EQ(l.PanelHeight, 100);
  EXPECT_EQ(l.RatioTag, 150);

  ASSERT_TRUE(player::LayoutCover(250, 250, l));
  EXPECT_EQ(l.PanelWidth, 100);
  EXPECT_EQ(l.PanelHeight, 100);
  EXPECT_EQ(l.RatioTag, 100);
}

TEST(CoverLayoutMaths, RatioTruncatesExactly) {
  CoverLayout l;
  ASSERT_TRUE(player::LayoutCover(100, 29, l));
  EXPECT_EQ(l.RatioTag, 29);
  EXPECT_EQ(l.PanelHeight, 29);
  ASSERT_TRUE(player::LayoutCover(3, 2, l));
  EXPECT_EQ(l.RatioTag, 66);
  ASSERT_TRUE(player::LayoutCover(1, 2147483647, l));
  EXPECT_EQ(l.PanelWidth, 0);
  EXPECT_EQ(l.PanelHeight, 100);
  EXPECT_EQ(l.RatioTag, 2147483647);
}

TEST(CoverLayoutMaths, ZeroOrNegativeSidesRefused) {
  CoverLayout l{7, 8, 9};
  EXPECT_FALSE(player::LayoutCover(0, 100, l));
  EXPECT_FALSE(player::LayoutCover(100, 0, l));
  EXPECT_FALSE(player::LayoutCover(-5, 100, l));
  EXPECT_EQ(l.PanelWidth, 7);
  EXPECT_EQ(l.PanelHeight, 8);
  EXPECT_EQ(l.RatioTag, 9);
}
