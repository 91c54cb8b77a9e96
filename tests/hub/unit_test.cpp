// The hub's parts that need no device: text conversion, request reading, access rules, session
// counters, the device queue and the configuration.
#include <gtest/gtest.h>

#include "latin1.h"

using namespace cfehub;

namespace {

TEST(Latin1, AccentsBecomeSingleBytesAndBack) {
  std::string problem;
  auto latin1 = Utf8ToLatin1("ação ÿ", &problem);
  ASSERT_TRUE(latin1) << problem;
  EXPECT_EQ(*latin1, "a\xe7\xe3o \xff");
  EXPECT_EQ(Latin1ToUtf8(*latin1), "ação ÿ");
}

}  // namespace
