// The Windows tests' main. Started with "--child NAME ARGS...", the program instead runs the
// child routine NAME (tests that must watch a process end, or start one with other settings).
#include <gtest/gtest.h>

#include <cstring>

#include "support/wine_support.h"

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) return testing_support::RunChild(argv[2], argc - 3, argv + 3);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
