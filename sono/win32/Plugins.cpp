#include "sono/win32/Plugins.h"

#include <algorithm>

#include "forms/Wide.h"
#include "sono/engine/Errors.h"

namespace sono::win32 {

namespace {

// A plug-in's open file seen as one of our decoders.
class PluginDecoder final : public Decoder {
 public:
  explicit PluginDecoder(const SONO_PLUGIN_STREAM& stream) : stream_(stream) {}
  ~PluginDecoder() override {
    if (stream_.close) stream_.close(stream_.state);
  }
  PluginDecoder(const PluginDecoder&) = delete;
  PluginDecoder& operator=(const PluginDecoder&) = delete;

  PcmFormat Format() const override { return {stream_.rate, stream_.channels}; }
  int64_t LengthFrames() const override { return stream_.frames < 0 ? -1 : stream_.frames; }
  size_t Read(int16_t* out, size_t maxFrames) override {
    // A plug-in that claims more than it was asked for is cut short.
    return std::min(stream_.read(stream_.state, out, maxFrames), maxFrames);
  }
  bool Seek(uint64_t frame) override { return stream_.seek && stream_.seek(stream_.state, frame); }

 private:
  SONO_PLUGIN_STREAM stream_;
};

bool UsableTable(const SONO_PLUGIN_TABLE* table) {
  if (!table || table->interfaceVersion != SONO_PLUGIN_INTERFACE || !table->open) return false;
  if (table->info.formatc > 0 && !table->info.formats) return false;
  return true;
}

}  // namespace

uint32_t PluginRegistry::Load(const std::string& utf8Path) {
  Module module(LoadLibraryW(forms::widen(utf8Path).c_str()));
  if (!module) return Fail(Error::kFileOpen, 0u);
  auto entry = reinterpret_cast<SONO_PLUGIN_ENTRY>(
      reinterpret_cast<void*>(GetProcAddress(module.get(), SONO_PLUGIN_ENTRY_NAME)));
  // Without our entry point the DLL is not a plug-in (sono.dll itself, for
  // one): the module is freed as it goes out of scope.
  if (!entry) return Fail(Error::kNotPlugin, 0u);
  const SONO_PLUGIN_TABLE* table = entry();
  if (!UsableTable(table)) return Fail(Error::kNotPlugin, 0u);
  std::lock_guard lock(mutex_);
  for (const auto& [handle, plugin] : plugins_) {
    if (plugin.module.get() == module.get()) {
      SetLastError(Error::kOk);
      return handle;  // the extra reference is dropped with module
    }
  }
  if (++counter_ == 0) ++counter_;
  plugins_.emplace(counter_, Plugin{std::move(module), table});
  SetLastError(Error::kOk);
  return counter_;
}

const SONO_PLUGININFO* PluginRegistry::Info(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = plugins_.find(handle);
  if (it == plugins_.end()) return Fail(Error::kBadHandle, static_cast<const SONO_PLUGININFO*>(nullptr));
  SetLastError(Error::kOk);
  return &it->second.table->info;
}

std::unique_ptr<Decoder> PluginRegistry::Open(const std::string& utf8Path) {
  std::lock_guard lock(mutex_);
  for (const auto& [handle, plugin] : plugins_) {
    SONO_PLUGIN_STREAM stream{};
    if (!plugin.table->open(utf8Path.c_str(), &stream)) continue;
    auto decoder = std::make_unique<PluginDecoder>(stream);
    const bool usable = stream.read && stream.rate > 0 && (stream.channels == 1 || stream.channels == 2);
    if (usable) return decoder;
  }
  return nullptr;
}

}  // namespace sono::win32
