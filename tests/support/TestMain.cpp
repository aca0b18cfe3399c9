// The Windows test programs' entry point: the cases run as with GoogleTest's
// own main, after a mark that says the program has started (wine-run reads
// it to tell a program Wine never started from one that failed).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  // A host path: Wine's drive Z: is the host's root.
  if (const char* mark = std::getenv("SV_STARTED_MARK")) {
    if (std::FILE* file = std::fopen(("Z:" + std::string(mark)).c_str(), "wb")) std::fclose(file);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
