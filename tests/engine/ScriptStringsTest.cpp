// Reading script strings from the string table: whole, whatever their
// length, with absent and empty strings alike reported missing.
#include <gtest/gtest.h>

#include <ostream>

#include "ScriptLines.h"
#include "engine/ScriptStrings.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

struct StringCase {
  std::int64_t id;
  StringRead read;
  std::string text;
};

void PrintTo(const StringCase& c, std::ostream* os) { *os << c.id; }

class StoredScriptTest : public ::testing::TestWithParam<StringCase> {
 protected:
  TestMachine machine;
};

TEST_P(StoredScriptTest, ReadsTheStoredText) {
  const StringCase& c = GetParam();
  Text text = MakeText("left over");
  EXPECT_EQ(ReadScriptString(machine.Host().system, c.id, text), c.read);
  EXPECT_EQ(ToString(text), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredScriptTest,
    ::testing::Values(
        StringCase{3, StringRead::kFound, "2 9900 9901"},
        StringCase{4, StringRead::kFound, "3 9900 9902 9903"},
        StringCase{9902, StringRead::kFound, "machine.inf 5 100 130 150 170 230"},
        StringCase{230, StringRead::kFound, "14"},
        StringCase{231, StringRead::kFound, script::k137},
        StringCase{137, StringRead::kFound, script::k137},
        StringCase{333, StringRead::kFound, script::k333},
        StringCase{20000, StringRead::kFound, "Welcome use Tovi  Company product"},
        StringCase{0, StringRead::kMissing, ""}, StringCase{5, StringRead::kMissing, ""},
        StringCase{14, StringRead::kMissing, ""}, StringCase{138, StringRead::kMissing, ""},
        StringCase{246, StringRead::kMissing, ""}, StringCase{-1, StringRead::kMissing, ""},
        StringCase{65536 + 3, StringRead::kMissing, ""}));

TEST(ScriptStrings, ReadsAStringLongerThanTheFirstBufferWhole) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  std::string longText;
  for (int i = 0; longText.size() < 1000; ++i) longText += "field" + std::to_string(i) + ' ';
  host.Set(7, longText);
  Text text;
  EXPECT_EQ(ReadScriptString(host, 7, text), StringRead::kFound);
  EXPECT_EQ(ToString(text), longText);
}

TEST(ScriptStrings, ReadsStringsAtEveryLengthAroundTheBufferSizes) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  for (const std::size_t length : {1u, 126u, 127u, 128u, 129u, 255u, 256u, 257u}) {
    const std::string bytes(length, 'x');
    host.Set(7, bytes);
    Text text;
    EXPECT_EQ(ReadScriptString(host, 7, text), StringRead::kFound) << length;
    EXPECT_EQ(ToString(text), bytes) << length;
  }
}

TEST(ScriptStrings, AnEmptyStringIsMissing) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  host.Set(3, "");
  Text text = MakeText("left over");
  EXPECT_EQ(ReadScriptString(host, 3, text), StringRead::kMissing);
  EXPECT_EQ(ToString(text), "");
}

TEST(ScriptStrings, AStringHoldingAZeroByteIsMissing) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  for (const std::string& bytes :
       {std::string("a\0b", 3), std::string("\0", 1), std::string("mshdc.inf 1 10") + '\0'}) {
    host.Set(7, bytes);
    Text text = MakeText("left over");
    EXPECT_EQ(ReadScriptString(host, 7, text), StringRead::kMissing);
    EXPECT_EQ(ToString(text), "");
  }
}

// The host takes a path up to its first zero byte: the file's own name and
// every temporary and backup name made from "mshdc.inf<zero>x.inf" would all
// be mshdc.inf, and the save would write over it and delete it.
TEST(ScriptStrings, FileNameHoldingAZeroByteFailsThePlanWithTheFileUntouched) {
  TestMachine machine;
  machine.WriteInf("mshdc.inf", "[Strings]\r\nold");
  ScriptTableHost host(machine.Host());
  host.Set(9000, "1 9001");
  host.Set(9001, std::string("mshdc.inf\0x.inf 1 9010", 22));
  host.Set(9010, "1");
  host.Set(9011, "[Strings]");
  host.Set(9012, "new");
  UpdaterProbe engine(host);
  engine.RunPlan(9000);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(machine.ListInf(), (std::vector<std::string>{"mshdc.inf"}));
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "[Strings]\r\nold");
}

}  // namespace
