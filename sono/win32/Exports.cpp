// The C entry points of sono.dll: argument checks and conversions around the
// engine, which does the work.
#include <cctype>
#include <cmath>
#include <string_view>

#include "sono/core/ByteSource.h"
#include "sono/core/Decoder.h"
#include "sono/include/sono.h"
#include "sono/win32/Library.h"
#include "sono/win32/MmsRadioStream.h"
#include "sono/win32/RadioStream.h"

using namespace sono;
using namespace sono::win32;

namespace {

constexpr HSONOCHANNEL kNoChannel = 0;

bool StartsWith(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// Which error a file that no decoder took deserves.
Error WhyNotOpened(const std::string& path) {
  return OpenFileSource(path) ? Error::kFormat : Error::kFileOpen;
}

BOOL FreeOfKind(HSONOCHANNEL channel, ChannelKind kind) {
  return Guarded<BOOL>(FALSE, [&] { return TheEngine().Free(channel, kind) ? TRUE : FALSE; });
}

}  // namespace

extern "C" {

DWORD WINAPI SONO_GetVersion(void) { return SONO_VERSION | 1u; }

BOOL WINAPI SONO_Init(int device, DWORD, DWORD, HWND, const void*) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (TheEngine().Initialised()) return Fail(Error::kAlreadyInitialised, FALSE);
    auto output = OpenDevice(device);
    if (!output) return FALSE;
    return TheEngine().Init(std::move(output)) ? TRUE : FALSE;
  });
}

int WINAPI SONO_ErrorGetCode(void) { return static_cast<int>(LastError()); }

const char* WINAPI SONO_GetDeviceDescription(int device) {
  return Guarded<const char*>(nullptr, [&] { return DeviceDescription(device); });
}

BOOL WINAPI SONO_SetConfig(DWORD option, const char* value) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (option != SONO_CONFIG_NET_PROXY) return Fail(Error::kBadParameter, FALSE);
    // Copied now: the caller's buffer may change or go away.
    SetProxyText(value ? value : "");
    SetLastError(Error::kOk);
    return TRUE;
  });
}

BOOL WINAPI SONO_SetVolume(DWORD volume) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (volume > 100) return Fail(Error::kBadParameter, FALSE);
    return TheEngine().SetVolume(static_cast<int>(volume)) ? TRUE : FALSE;
  });
}

int WINAPI SONO_GetVolume(void) {
  return Guarded<int>(-1, [] { return TheEngine().Volume(); });
}

HSONOPLUGIN WINAPI SONO_PluginLoad(const char* file, DWORD) {
  return Guarded<HSONOPLUGIN>(0, [&]() -> HSONOPLUGIN {
    if (!file) return Fail(Error::kBadParameter, HSONOPLUGIN{0});
    return ThePlugins().Load(file);
  });
}

const SONO_PLUGININFO* WINAPI SONO_PluginGetInfo(HSONOPLUGIN handle) {
  return Guarded<const SONO_PLUGININFO*>(nullptr, [&] { return ThePlugins().Info(handle); });
}

HSONOCHANNEL WINAPI SONO_StreamCreateFile(BOOL mem, const char* file, SONO_INT64, SONO_INT64, DWORD) {
  return Guarded<HSONOCHANNEL>(kNoChannel, [&]() -> HSONOCHANNEL {
    if (mem) return Fail(Error::kNotAvailable, kNoChannel);
    if (!file) return Fail(Error::kBadParameter, kNoChannel);
    if (!TheEngine().Initialised()) return Fail(Error::kNotInitialised, kNoChannel);
    const std::string path = file;
    auto decoder = OpenStreamDecoder(path);
    if (!decoder) decoder = ThePlugins().Open(path);
    if (!decoder) return Fail(WhyNotOpened(path), kNoChannel);
    return TheEngine().CreateChannel(ChannelKind::kStream, std::move(decoder));
  });
}

HSONOCHANNEL WINAPI SONO_StreamCreateURL(const char* url, DWORD, DWORD, SONO_DOWNLOADPROC*, void*) {
  return Guarded<HSONOCHANNEL>(kNoChannel, [&]() -> HSONOCHANNEL {
    if (!url) return Fail(Error::kBadParameter, kNoChannel);
    if (!TheEngine().Initialised()) return Fail(Error::kNotInitialised, kNoChannel);
    // HTTP and MMS radio are played; other schemes are refused so the
    // player moves on to its next entry.
    const bool mms = IsMmsRadioUrl(url);
    if (!mms && !StartsWith(url, "http://")) return Fail(Error::kProtocol, kNoChannel);
    RadioStream radio = mms ? OpenMmsRadioStream(url, ProxyText()) : OpenRadioStream(url, ProxyText());
    if (!radio.decoder) return Fail(radio.error, kNoChannel);
    return TheEngine().CreateChannel(ChannelKind::kStream, std::move(radio.decoder), std::move(radio.metadata));
  });
}

BOOL WINAPI SONO_StreamCancelURL(void) {
  return Guarded<BOOL>(FALSE, [] {
    CancelOpeningStreams();
    return TRUE;
  });
}

HSONOCHANNEL WINAPI SONO_MusicLoad(BOOL mem, const char* file, SONO_INT64, DWORD, DWORD flags, DWORD) {
  return Guarded<HSONOCHANNEL>(kNoChannel, [&]() -> HSONOCHANNEL {
    if (mem) return Fail(Error::kNotAvailable, kNoChannel);
    if (!file) return Fail(Error::kBadParameter, kNoChannel);
    if (!TheEngine().Initialised()) return Fail(Error::kNotInitialised, kNoChannel);
    auto source = OpenFileSource(file);
    if (!source) return Fail(Error::kFileOpen, kNoChannel);
    auto decoder = OpenModuleDecoder(std::move(source), flags);
    if (!decoder) return Fail(Error::kFormat, kNoChannel);
    return TheEngine().CreateChannel(ChannelKind::kModule, std::move(decoder));
  });
}

BOOL WINAPI SONO_StreamFree(HSONOCHANNEL channel) { return FreeOfKind(channel, ChannelKind::kStream); }

BOOL WINAPI SONO_MusicFree(HSONOCHANNEL channel) { return FreeOfKind(channel, ChannelKind::kModule); }

SONO_INT64 WINAPI SONO_ChannelGetLength(HSONOCHANNEL channel) {
  return Guarded<SONO_INT64>(-1, [&] { return TheEngine().Length(channel); });
}

float WINAPI SONO_ChannelBytes2Seconds(HSONOCHANNEL channel, SONO_INT64 bytes) {
  return Guarded<float>(-1.0f, [&] { return static_cast<float>(TheEngine().BytesToSeconds(channel, bytes)); });
}

SONO_INT64 WINAPI SONO_ChannelSeconds2Bytes(HSONOCHANNEL channel, float seconds) {
  return Guarded<SONO_INT64>(-1, [&] { return TheEngine().SecondsToBytes(channel, seconds); });
}

SONO_INT64 WINAPI SONO_ChannelGetPosition(HSONOCHANNEL channel) {
  return Guarded<SONO_INT64>(-1, [&] { return TheEngine().Position(channel); });
}

BOOL WINAPI SONO_ChannelSetPosition(HSONOCHANNEL channel, SONO_INT64 bytes) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (bytes < 0) return Fail(Error::kPosition, FALSE);
    return TheEngine().SetPosition(channel, static_cast<uint64_t>(bytes)) ? TRUE : FALSE;
  });
}

BOOL WINAPI SONO_ChannelPlay(HSONOCHANNEL channel, BOOL restart) {
  return Guarded<BOOL>(FALSE, [&] { return TheEngine().Play(channel, restart != FALSE) ? TRUE : FALSE; });
}

BOOL WINAPI SONO_ChannelPause(HSONOCHANNEL channel) {
  return Guarded<BOOL>(FALSE, [&] { return TheEngine().Pause(channel) ? TRUE : FALSE; });
}

DWORD WINAPI SONO_ChannelIsActive(HSONOCHANNEL channel) {
  return Guarded<DWORD>(SONO_ACTIVE_STOPPED, [&] { return static_cast<DWORD>(TheEngine().Activity(channel)); });
}

BOOL WINAPI SONO_ChannelSetAttributes(HSONOCHANNEL channel, int freq, int volume, int pan) {
  return Guarded<BOOL>(FALSE, [&] { return TheEngine().SetAttributes(channel, freq, volume, pan) ? TRUE : FALSE; });
}

HSONOSYNC WINAPI SONO_ChannelSetSync(HSONOCHANNEL channel, DWORD type, SONO_INT64, SONO_SYNCPROC* proc,
                                     void* user) {
  return Guarded<HSONOSYNC>(0, [&]() -> HSONOSYNC {
    if (!proc) return Fail(Error::kBadParameter, HSONOSYNC{0});
    return TheEngine().SetSync(channel, type, [proc, user](uint32_t sync, uint32_t ch, const char* data) {
      proc(sync, ch, data, user);
    });
  });
}

const char* WINAPI SONO_ChannelGetTags(HSONOCHANNEL channel, DWORD tags) {
  return Guarded<const char*>(nullptr, [&] { return TheEngine().Tags(channel, tags); });
}

HSONOFX WINAPI SONO_ChannelSetFX(HSONOCHANNEL channel, DWORD type, int priority) {
  return Guarded<HSONOFX>(0, [&] { return TheEngine().SetEffect(channel, type, priority); });
}

BOOL WINAPI SONO_ChannelRemoveFX(HSONOCHANNEL channel, HSONOFX fx) {
  return Guarded<BOOL>(FALSE, [&] { return TheEngine().RemoveEffect(channel, fx) ? TRUE : FALSE; });
}

BOOL WINAPI SONO_FXSetParameters(HSONOFX fx, const void* parameters) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (!parameters) return Fail(Error::kBadParameter, FALSE);
    const auto& p = *static_cast<const SONO_PARAMEQ*>(parameters);
    return TheEngine().SetEffectParameters(fx, {p.fCenter, p.fBandwidth, p.fGain}) ? TRUE : FALSE;
  });
}

BOOL WINAPI SONO_FXGetParameters(HSONOFX fx, void* parameters) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (!parameters) return Fail(Error::kBadParameter, FALSE);
    EqParameters p;
    if (!TheEngine().EffectParameters(fx, p)) return FALSE;
    *static_cast<SONO_PARAMEQ*>(parameters) = {p.centre, p.bandwidth, p.gain};
    return TRUE;
  });
}

}  // extern "C"
