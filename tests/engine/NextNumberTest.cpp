// The token rules of the script's number reader.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

struct TokenCase {
  const char* script;
  std::int32_t value;
  std::int32_t error;
  const char* rest;
};

void PrintTo(const TokenCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(std::string(c.script));
}

class NextNumberTest : public ::testing::TestWithParam<TokenCase> {
 protected:
  TestMachine machine;
  UpdaterProbe engine{machine.Host()};
};

TEST_P(NextNumberTest, CutsOneTokenFromTheFront) {
  const TokenCase& c = GetParam();
  Text script = MakeText(c.script);
  engine.SetError(1);
  EXPECT_EQ(engine.NextNumber(script), c.value);
  EXPECT_EQ(engine.GetError(), c.error);
  EXPECT_EQ(ToString(script), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, NextNumberTest,
    ::testing::Values(
        TokenCase{"2 9900 9901", 2, 0, "9900 9901 "}, TokenCase{"  42 word", 42, 0, "word "},
        TokenCase{"  12  34  ", 12, 0, "34   "}, TokenCase{"\t\r\n\v\f 5", 5, 0, ""},
        TokenCase{"+7", 7, 0, ""}, TokenCase{"-1 5", -1, 0, "5 "},
        TokenCase{"9900x 1", 9900, 0, "1 "},
        // A tab does not end a token: the token is "2\t9900", worth 2.
        TokenCase{"2\t9900 9901", 2, 0, "9901 "}, TokenCase{"5\t", 5, 0, ""},
        TokenCase{"2147483647 1", INT_MAX, 0, "1 "}, TokenCase{"99999999999 1", INT_MAX, 0, "1 "},
        TokenCase{"-99999999999", INT_MIN, 0, ""},
        // Failures give 0 with the flag set; a bad token stays in place.
        TokenCase{"", 0, 1, ""}, TokenCase{"   ", 0, 1, ""}, TokenCase{"\t", 0, 1, ""},
        TokenCase{"0 9900", 0, 1, "0 9900 "}, TokenCase{"  -0 1", 0, 1, "-0 1 "},
        TokenCase{"abc 1", 0, 1, "abc 1 "}, TokenCase{"- 1", 0, 1, "- 1 "}));

TEST(NextNumberWalk, ReadsAPlanToItsEndAndThenFails) {
  TestMachine machine;
  UpdaterProbe engine{machine.Host()};
  Text plan = MakeText("3 9900 9902 9903");
  for (const std::int32_t expected : {3, 9900, 9902, 9903}) {
    EXPECT_EQ(engine.NextNumber(plan), expected);
    EXPECT_EQ(engine.GetError(), 0);
  }
  EXPECT_EQ(engine.NextNumber(plan), 0);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(ToString(plan), "");
}

}  // namespace
