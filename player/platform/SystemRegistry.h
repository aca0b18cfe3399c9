#pragma once
// The registry of the running system behind the Registry interface. Keys are
// opened for reading with query access only, and for writing only when a
// value is written or deleted.
#include "player/Associations.h"

namespace player {

class SystemRegistry : public Registry {
 public:
  std::optional<RegistryText> ReadText(RegistryRoot root, std::string_view key, std::string_view name) const override;
  bool WriteText(RegistryRoot root, std::string_view key, std::string_view name, const RegistryText& value) override;
  bool DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) override;
  bool DeleteKey(RegistryRoot root, std::string_view key) override;
  bool DeleteEmptyKey(RegistryRoot root, std::string_view key) override;
  bool SameText(std::string_view a, std::string_view b) const override;
  void AssociationsChanged() override;
};

}  // namespace player
