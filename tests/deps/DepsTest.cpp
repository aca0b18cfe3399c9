// Each cross-built dependency decodes a file made on the host by an
// independent encoder: the formats and lengths must match what was encoded,
// and the tones must come out at their frequency.
#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <mpg123.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>
#include <xmp.h>

namespace {

std::string fixture(const char *name) {
  return std::string(SV_DEPS_FIXTURES) + "/" + name;
}

// Frequency of a tone from the sign changes of one channel of interleaved
// 16-bit samples.
double toneFrequency(const std::vector<int16_t> &samples, int channels, int channel, int rate) {
  std::size_t crossings = 0;
  bool previousNegative = false;
  bool started = false;
  for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size(); i += static_cast<std::size_t>(channels)) {
    int v = samples[i];
    if (v == 0) continue;
    bool negative = v < 0;
    if (started && negative != previousNegative) ++crossings;
    previousNegative = negative;
    started = true;
  }
  double seconds = static_cast<double>(samples.size() / static_cast<std::size_t>(channels)) / rate;
  return static_cast<double>(crossings) / 2.0 / seconds;
}

int peak(const std::vector<int16_t> &samples) {
  int top = 0;
  for (int16_t s : samples) top = std::max(top, std::abs(static_cast<int>(s)));
  return top;
}

struct SndfileCase {
  const char *name;
  int rate, channels;
  sf_count_t frames;
  double frequency;
};

void checkSndfile(const SndfileCase &c) {
  SCOPED_TRACE(c.name);
  SF_INFO info{};
  SNDFILE *raw = sf_open(fixture(c.name).c_str(), SFM_READ, &info);
  ASSERT_NE(raw, nullptr) << sf_strerror(nullptr);
  std::unique_ptr<SNDFILE, int (*)(SNDFILE *)> file(raw, sf_close);
  EXPECT_EQ(info.samplerate, c.rate);
  EXPECT_EQ(info.channels, c.channels);
  EXPECT_EQ(info.frames, c.frames);
  std::vector<int16_t> samples(static_cast<std::size_t>(info.frames * info.channels));
  EXPECT_EQ(sf_readf_short(file.get(), samples.data(), info.frames), c.frames);
  EXPECT_NEAR(toneFrequency(samples, c.channels, 0, c.rate), c.frequency, c.frequency * 0.02);
  EXPECT_NEAR(peak(samples), 16384, 1000);
}

TEST(Sndfile, ReadsWave) { checkSndfile({"tone.wav", 44100, 2, 66150, 440}); }

TEST(Sndfile, ReadsAiff) { checkSndfile({"tone.aiff", 22050, 1, 44100, 1000}); }

TEST(Mpg123, DecodesMp3) {
  mpg123_init();
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle *)> handle(mpg123_new(nullptr, &error), mpg123_delete);
  ASSERT_NE(handle, nullptr) << mpg123_plain_strerror(error);
  ASSERT_EQ(mpg123_open(handle.get(), fixture("tone.mp3").c_str()), MPG123_OK) << mpg123_strerror(handle.get());
  long rate = 0;
  int channels = 0, encoding = 0;
  ASSERT_EQ(mpg123_getformat(handle.get(), &rate, &channels, &encoding), MPG123_OK);
  EXPECT_EQ(rate, 44100);
  EXPECT_EQ(channels, 2);
  ASSERT_EQ(encoding, MPG123_ENC_SIGNED_16);

  std::vector<int16_t> samples;
  unsigned char buffer[16384];
  for (;;) {
    size_t done = 0;
    int result = mpg123_read(handle.get(), buffer, sizeof buffer, &done);
    const auto *pcm = reinterpret_cast<const int16_t *>(buffer);
    samples.insert(samples.end(), pcm, pcm + done / sizeof(int16_t));
    if (result == MPG123_DONE) break;
    ASSERT_EQ(result, MPG123_OK) << mpg123_strerror(handle.get());
  }
  mpg123_close(handle.get());
  // The encoder's delay and padding are trimmed from the LAME tag: within a
  // frame of the 2 s encoded.
  EXPECT_NEAR(static_cast<double>(samples.size() / 2), 88200, 1152);
  EXPECT_NEAR(toneFrequency(samples, 2, 0, 44100), 440, 440 * 0.02);
  EXPECT_NEAR(peak(samples), 16384, 1500);
}

TEST(Vorbis, DecodesOgg) {
  OggVorbis_File file;
  ASSERT_EQ(ov_fopen(fixture("tone.ogg").c_str(), &file), 0);
  std::unique_ptr<OggVorbis_File, int (*)(OggVorbis_File *)> closer(&file, ov_clear);
  vorbis_info *info = ov_info(&file, -1);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->rate, 48000);
  EXPECT_EQ(info->channels, 1);
  EXPECT_EQ(ov_pcm_total(&file, -1), 48000);

  std::vector<int16_t> samples;
  char buffer[8192];
  int section = 0;
  long got = 0;
  while ((got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
    const auto *pcm = reinterpret_cast<const int16_t *>(buffer);
    samples.insert(samples.end(), pcm, pcm + got / 2);
  }
  EXPECT_EQ(got, 0);
  EXPECT_EQ(samples.size(), 48000u);
  EXPECT_NEAR(toneFrequency(samples, 1, 0, 48000), 880, 880 * 0.02);
}

TEST(Jpeg, DecodesBothHalves) {
  std::unique_ptr<FILE, int (*)(FILE *)> in(std::fopen(fixture("halves.jpg").c_str(), "rb"), std::fclose);
  ASSERT_NE(in, nullptr);
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, in.get());
  ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  EXPECT_EQ(cinfo.output_width, 64u);
  EXPECT_EQ(cinfo.output_height, 48u);
  ASSERT_EQ(cinfo.output_components, 3);
  std::vector<unsigned char> pixels(cinfo.output_width * cinfo.output_height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + cinfo.output_scanline * cinfo.output_width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);

  auto at = [&](unsigned x, unsigned y, unsigned c) { return int{pixels[(y * 64 + x) * 3 + c]}; };
  EXPECT_GT(at(8, 24, 0), 230);
  EXPECT_LT(at(8, 24, 2), 25);
  EXPECT_LT(at(56, 24, 0), 25);
  EXPECT_GT(at(56, 24, 2), 230);
}

TEST(Xmp, PlaysModule) {
  std::unique_ptr<std::remove_pointer_t<xmp_context>, void (*)(xmp_context)> context(xmp_create_context(),
                                                                                      xmp_free_context);
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(xmp_load_module(context.get(), fixture("square.mod").c_str()), 0);
  xmp_module_info module{};
  xmp_get_module_info(context.get(), &module);
  EXPECT_STREQ(module.mod->name, "square test");
  EXPECT_EQ(module.mod->chn, 4);
  EXPECT_EQ(module.mod->len, 1);

  ASSERT_EQ(xmp_start_player(context.get(), 44100, 0), 0);
  std::vector<int16_t> samples;
  xmp_frame_info frame{};
  int totalTime = 0;
  while (xmp_play_frame(context.get()) == 0) {
    xmp_get_frame_info(context.get(), &frame);
    if (frame.loop_count > 0) break;
    totalTime = frame.total_time;
    const auto *pcm = static_cast<const int16_t *>(frame.buffer);
    samples.insert(samples.end(), pcm, pcm + frame.buffer_size / 2);
  }
  xmp_end_player(context.get());
  xmp_release_module(context.get());

  // 64 rows at 6 ticks of 20 ms.
  EXPECT_NEAR(totalTime, 7680, 40);
  EXPECT_NEAR(static_cast<double>(samples.size() / 2) / 44100, 7.68, 0.05);
  // A 32-byte cycle at period 428 sounds at 3546895 / 428 / 32 Hz.
  EXPECT_NEAR(toneFrequency(samples, 2, 0, 44100), 259.0, 259.0 * 0.03);
}

} // namespace
