// The program binary, run as a user runs it.
#include <gtest/gtest.h>

#include "Support.h"

namespace {

TEST(Run, EmptyInputPrintsTableThenLeafPaths) {
  TestKit::TempDir dir;
  dir.Write("input.txt", "");
  const TestKit::Run r = TestKit::RunProgram(dir.Path(), {"ignored", "--help"});
  EXPECT_EQ(r.out, TestKit::layoutTable + TestKit::leafPaths);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 255);
}

}  // namespace
