// sono.dll started once for the whole program on the "No sound" device,
// which keeps real time without a sound card.
#include <gtest/gtest.h>

#include "sono/include/sono.h"

namespace {

class SonoStart : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SONO_Init(SONO_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr)) << SONO_ErrorGetCode(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new SonoStart);

}  // namespace
