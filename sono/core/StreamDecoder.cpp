// Chooses the decoder for a stream file: by its first bytes, then by its
// extension. MPEG audio has no file header, so it is only ever taken on the
// evidence of its frames: its extension merely widens the search for them.
// Modules are not stream files; they are loaded on their own.
// Only the kinds the player lists are played (MPEG audio, Ogg Vorbis, WAV and
// AIFF), whatever else the libraries of one build or another could read, so
// that every build plays the same files.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/core/MpegSync.h"
#include "sono/core/ReplaySource.h"

namespace sono {
namespace {

constexpr size_t kLookBytes = 16384;
// How far frames are looked for in a file named as MPEG audio, for one
// with something else than an ID3v2 tag before them, and how many in a row
// it then takes.
constexpr size_t kMpegLookBytes = 262144;
constexpr int kFarFramesInARow = 8;

enum class Kind { Unknown, Mpeg, Vorbis, SoundFile };

bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const char* text) {
  const size_t length = std::strlen(text);
  return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}

// Files that start like this are something else whatever their name:
// executables, archives, documents and pictures.
bool IsForeign(const std::vector<uint8_t>& head) {
  for (const char* magic : {"MZ", "\177ELF", "\xCF\xFA\xED\xFE", "\xCA\xFE\xBA\xBE", "PK\x03\x04", "Rar!", "7z\xBC\xAF",
                            "MSCF", "%PDF", "\x89PNG", "GIF8", "\xFF\xD8\xFF", "BM"}) {
    if (StartsWith(head, 0, magic)) return true;
  }
  return false;
}

Kind KindByContents(const std::vector<uint8_t>& head) {
  if (StartsWith(head, 0, "OggS")) return Kind::Vorbis;
  if ((StartsWith(head, 0, "RIFF") || StartsWith(head, 0, "RIFX") || StartsWith(head, 0, "RF64")) &&
      StartsWith(head, 8, "WAVE")) {
    return Kind::SoundFile;
  }
  if (StartsWith(head, 0, "FORM") && (StartsWith(head, 8, "AIFF") || StartsWith(head, 8, "AIFC"))) {
    return Kind::SoundFile;
  }
  if (FindMpegAudio(head.data(), head.size()) >= 0) return Kind::Mpeg;
  return Kind::Unknown;
}

bool NamedAsMpeg(const std::string& extension) {
  return extension == ".mp3" || extension == ".mp2" || extension == ".mp1" || extension == ".mpa";
}

Kind KindByExtension(const std::string& extension) {
  if (extension == ".ogg") return Kind::Vorbis;
  if (extension == ".wav" || extension == ".aif" || extension == ".aiff") return Kind::SoundFile;
  return Kind::Unknown;
}

}  // namespace

std::unique_ptr<Decoder> OpenStreamDecoder(std::unique_ptr<ByteSource> source) {
  if (!source) return nullptr;
  std::vector<uint8_t> head;
  const bool more = Fill(*source, head, kLookBytes);
  if (head.empty()) return nullptr;

  if (IsForeign(head)) return nullptr;
  Kind kind = KindByContents(head);
  const std::string extension = source->ExtensionHint();
  if (kind == Kind::Unknown && NamedAsMpeg(extension) && more) {
    Fill(*source, head, kMpegLookBytes);
    if (FindMpegAudio(head.data(), head.size(), kFarFramesInARow) >= 0) kind = Kind::Mpeg;
  }
  if (kind == Kind::Unknown) kind = KindByExtension(extension);
  if (kind == Kind::Unknown) return nullptr;

  if (source->CanSeek()) {
    if (!source->Seek(0)) return nullptr;
  } else {
    source = std::make_unique<ReplaySource>(std::move(head), std::move(source));
  }
  switch (kind) {
    case Kind::Mpeg:
      return OpenMpegDecoder(std::move(source));
    case Kind::Vorbis:
      return OpenVorbisDecoder(std::move(source));
    case Kind::SoundFile:
      return OpenSoundFileDecoder(std::move(source));
    case Kind::Unknown:
      break;
  }
  return nullptr;
}

std::unique_ptr<Decoder> OpenStreamDecoder(const std::string& utf8Path) {
  return OpenStreamDecoder(OpenFileSource(utf8Path));
}

}  // namespace sono
