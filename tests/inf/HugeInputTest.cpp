// Bad and huge INF files through a whole plan: a line of 1 MB, 200,000
// lines, random bytes, UTF-16 text with its byte-order mark, and names too
// long for a path. A text without a zero byte is merged and saved whole; a
// file with a zero byte is refused and left untouched; a name that makes the
// path too long fails the plan with nothing written.
#include <gtest/gtest.h>

#include <random>

#include "StoreScenarios.h"

namespace {

using Files = store::Snapshot;

struct PlanRun {
  std::int32_t error;
  Files after;
};

PlanRun RunPlanOn(TestMachine& machine) {
  const std::int32_t error = store::RunPlan(machine.Host());
  return PlanRun{error, store::Snap(machine)};
}

// A text without the line [Strings]: the plan appends its three lines.
void ExpectMergedWhole(const std::string& text) {
  TestMachine machine;
  machine.WriteInf(store::kOwnName, text);
  const PlanRun run = RunPlanOn(machine);
  EXPECT_EQ(run.error, 0);
  ASSERT_EQ(run.after.size(), 2u);
  EXPECT_TRUE(run.after.at("mshdc.inf") == text + "\r\n" + store::kAppended);
  EXPECT_TRUE(run.after.at("mshdc.OR0") == text);
}

void ExpectRefusedUntouched(const std::string& text) {
  TestMachine machine;
  machine.WriteInf(store::kOwnName, text);
  const PlanRun run = RunPlanOn(machine);
  EXPECT_EQ(run.error, 1);
  EXPECT_TRUE(run.after == (Files{{store::kOwnName, text}}));
}

std::string RandomBytes(std::size_t count, unsigned seed, bool withZeros) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> byte(withZeros ? 0 : 1, 255);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(byte(generator));
  return bytes;
}

TEST(HugeInput, LineOfOneMegabyteIsKeptWhole) {
  ExpectMergedWhole(std::string(1 << 20, 'k') + "=v");
}

TEST(HugeInput, TwoHundredThousandLinesAreKeptInOrder) {
  std::string text = "[Version]";
  for (int line = 1; line < 200000; ++line) text += "\r\nkey" + std::to_string(line) + "=value";
  ExpectMergedWhole(text);
}

TEST(HugeInput, RandomBytesWithoutAZeroAreKeptByteForByte) {
  ExpectMergedWhole(RandomBytes(256 * 1024, 1, false));
}

TEST(HugeInput, RandomBytesWithZerosAreRefusedUntouched) {
  ExpectRefusedUntouched(RandomBytes(256 * 1024, 2, true));
}

// Every character of UTF-16 text from the ASCII range has a zero byte.
TEST(HugeInput, Utf16TextWithByteOrderMarkIsRefusedUntouched) {
  const std::string ascii = "[Version]\r\nSignature=\"$CHICAGO$\"\r\n[Strings]\r\n";
  for (const bool littleEndian : {true, false}) {
    std::string text = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ascii) text += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    ExpectRefusedUntouched(text);
  }
}

// The INF folder's path and the name together exceed the 260 characters of
// a Windows path: the plan fails, and nothing is written or left open.
TEST(HugeInput, NamesTooLongForAPathFailThePlanWithNothingWritten) {
  for (const std::size_t length : {254u, 255u, 256u}) {
    SCOPED_TRACE(length);
    TestMachine machine;
    machine.WriteInf(store::kOwnName, store::kOldText);
    const std::string name = std::string(length - 4, 'n') + ".inf";
    FaultInjectingHost tracked(machine.Host());
    EXPECT_EQ(store::RunPlan(tracked, name), 1);
    EXPECT_EQ(tracked.OpenHandleCount(), 0);
    EXPECT_TRUE(store::Snap(machine) == (Files{{store::kOwnName, store::kOldText}}));
  }
}

}  // namespace
