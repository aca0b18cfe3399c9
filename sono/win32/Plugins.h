#pragma once
// Plug-in DLLs: loaded only when they export our entry point
// (sono_plugin.h), refused and freed otherwise. Their formats open after the
// built-in decoders have declined a file.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sono/core/Decoder.h"
#include "sono/include/sono_plugin.h"

namespace sono::win32 {

class PluginRegistry {
 public:
  // The plug-in's handle, 0 (with the error set) when refused.
  uint32_t Load(const std::string& utf8Path);
  const SONO_PLUGININFO* Info(uint32_t handle);
  // A decoder from the first plug-in that plays the file, or null.
  std::unique_ptr<Decoder> Open(const std::string& utf8Path);

 private:
  struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };
  using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule>;
  struct Plugin {
    Module module;
    const SONO_PLUGIN_TABLE* table;
  };

  std::mutex mutex_;
  std::map<uint32_t, Plugin> plugins_;
  uint32_t counter_ = 0;
};

}  // namespace sono::win32
