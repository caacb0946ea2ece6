// Merging section blocks into a document: these lines in, these lines out.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <utility>

#include "ScriptLines.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

using namespace script;
using Lines = std::vector<std::string>;
using Strings = std::vector<std::pair<std::uint32_t, std::string>>;

const std::string kEof = "\x1A";

struct MergeCase {
  const char* name;
  std::int32_t block;
  Strings strings;  // changes to the stored script
  Lines before;
  Lines after;
  std::int32_t error;
};

void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }

class SectionMergeTest : public ::testing::TestWithParam<MergeCase> {
 protected:
  TestMachine machine;
  ScriptTableHost host{machine.Host()};
};

TEST_P(SectionMergeTest, MergesTheBlock) {
  const MergeCase& c = GetParam();
  for (const auto& [id, text] : c.strings) host.Set(id, text);
  UpdaterProbe engine(host);
  engine.SetDocument(c.before);
  engine.ApplySectionBlock(c.block);
  EXPECT_EQ(engine.Lines(), c.after);
  EXPECT_EQ(engine.GetError(), c.error);
  // Each line of the merged document is found where it first stands.
  const Lines merged = engine.Lines();
  for (const std::string& line : merged) {
    engine.FindLine(line);
    const auto first = std::find(merged.begin(), merged.end(), line) - merged.begin();
    EXPECT_EQ(engine.Position(), engine.LineNumber(static_cast<std::size_t>(first))) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SectionMergeTest,
    ::testing::Values(
        MergeCase{"LinesGoRightAfterTheAnchorAheadOfTheSection",
                  10,
                  {},
                  {"[Version]", "[INTEL_HDC]", "old"},
                  {"[Version]", "[INTEL_HDC]", k12, k13, "old"},
                  0},
        MergeCase{"ALinePresentAnywhereIsLeftOut",
                  10,
                  {},
                  {"[INTEL_HDC]", "old", "[Other]", k12},
                  {"[INTEL_HDC]", k13, "old", "[Other]", k12},
                  0},
        MergeCase{"EveryLinePresentChangesNothing",
                  10,
                  {},
                  {"[INTEL_HDC]", k13, "x", k12},
                  {"[INTEL_HDC]", k13, "x", k12},
                  0},
        MergeCase{"EmptyDocumentGetsAnchorAndLines", 10, {}, {}, {"[INTEL_HDC]", k12, k13}, 0},
        MergeCase{"AbsentAnchorIsAppendedWithAllLines",
                  10,
                  {},
                  {"[X]", k12},
                  {"[X]", k12, "[INTEL_HDC]", k12, k13},
                  0},
        MergeCase{"HeaderInOtherCaseIsNotTheAnchor",
                  50,
                  {},
                  {"[strings]", "a"},
                  {"[strings]", "a", "[Strings]", k52, k53},
                  0},
        MergeCase{"HeaderWithTrailingBlankIsNotTheAnchor",
                  50,
                  {},
                  {"[Strings] ", "a"},
                  {"[Strings] ", "a", "[Strings]", k52, k53},
                  0},
        MergeCase{"FirstOfTwoAnchorsWins",
                  50,
                  {},
                  {"[Strings]", "a", "[Strings]", "b"},
                  {"[Strings]", k52, k53, "a", "[Strings]", "b"},
                  0},
        MergeCase{"LastLineIsFoundLikeAnyOther",
                  50,
                  {},
                  {"[Strings]", "x", k53},
                  {"[Strings]", k52, "x", k53},
                  0},
        MergeCase{"AnchorAsLastLineGetsTheLinesAfterIt",
                  50,
                  {},
                  {"a", "[Strings]"},
                  {"a", "[Strings]", k52, k53},
                  0},
        MergeCase{"AppendedAfterTheEmptyLastLine",
                  50,
                  {},
                  {"a", ""},
                  {"a", "", "[Strings]", k52, k53},
                  0},
        MergeCase{"AnchorThatIsNoHeader",
                  230,
                  {},
                  {"[Other]", k137, "x"},
                  {"[Other]", k137, k232, k233, k234, k235, k236, k237, k238, k239, k240, k241,
                   k242, k243, k244, k245, "x"},
                  0},
        MergeCase{"AppendGoesAheadOfAFinalCtrlZ",
                  50,
                  {},
                  {"a", kEof},
                  {"a", "[Strings]", k52, k53, kEof},
                  0},
        MergeCase{"CtrlZAloneGetsEverythingAheadOfIt",
                  10,
                  {},
                  {kEof},
                  {"[INTEL_HDC]", k12, k13, kEof},
                  0},
        MergeCase{"CtrlZFollowedByEmptyLinesStillGetsTheAppendsAheadOfIt",
                  50,
                  {},
                  {"a", kEof, "", ""},
                  {"a", "[Strings]", k52, k53, kEof, "", ""},
                  0},
        MergeCase{"AppendedCtrlZGoesAheadOfTheFinalOne",
                  300,
                  {{302, kEof}},
                  {"a", kEof, ""},
                  {"a", "[Intel.Section]", kEof, k303, kEof, ""},
                  0},
        MergeCase{"AnchorBeforeCtrlZInsertsAsBefore",
                  50,
                  {},
                  {"[Strings]", kEof},
                  {"[Strings]", k52, k53, kEof},
                  0},
        MergeCase{"CtrlZInsideALineIsNoEndMark",
                  50,
                  {},
                  {"a", "b" + kEof},
                  {"a", "b" + kEof, "[Strings]", k52, k53},
                  0},
        MergeCase{
            "CtrlZNotLastIsLeftAlone", 50, {}, {kEof, "a"}, {kEof, "a", "[Strings]", k52, k53}, 0},
        MergeCase{"CountBeyondTheStoredLinesMergesWhatIsThere",
                  300,
                  {{300, "5"}},
                  {"[Intel.Section]"},
                  {"[Intel.Section]", k302, k303},
                  0},
        MergeCase{"CountWithBlanksAroundIt",
                  300,
                  {{300, "  2  "}},
                  {"[Intel.Section]"},
                  {"[Intel.Section]", k302, k303},
                  0},
        MergeCase{"MissingLineEndsTheBlock",
                  300,
                  {{302, ""}},
                  {"[Intel.Section]"},
                  {"[Intel.Section]"},
                  0},
        MergeCase{"MissingLineAfterAbsentAnchorLeavesTheAnchor",
                  300,
                  {{302, ""}},
                  {"a"},
                  {"a", "[Intel.Section]"},
                  0},
        MergeCase{"NegativeCountAppendsTheAbsentAnchorAlone",
                  300,
                  {{300, "-1"}},
                  {"a"},
                  {"a", "[Intel.Section]"},
                  0},
        MergeCase{"NegativeCountWithAnchorPresentChangesNothing",
                  300,
                  {{300, "-3"}},
                  {"[Intel.Section]"},
                  {"[Intel.Section]"},
                  0},
        MergeCase{"CountZeroFails", 300, {{300, "0"}}, {"a"}, {"a"}, 1},
        MergeCase{"CountWithoutDigitsFails", 300, {{300, "two"}}, {"a"}, {"a"}, 1},
        MergeCase{"MissingCountStringFails", 20, {}, {"a"}, {"a"}, 1},
        MergeCase{"MissingAnchorStringFails", 300, {{301, ""}}, {"a"}, {"a"}, 1}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

class MergeSequenceTest : public ::testing::Test {
 protected:
  TestMachine machine;
  UpdaterProbe engine{machine.Host()};
};

TEST_F(MergeSequenceTest, ASecondRunOfTheSameBlockChangesNothing) {
  engine.SetDocument({"[INTEL_HDC]", "old"});
  engine.ApplySectionBlock(10);
  const Lines once = engine.Lines();
  engine.ApplySectionBlock(10);
  EXPECT_EQ(engine.Lines(), once);
  EXPECT_EQ(engine.GetError(), 0);
}

TEST_F(MergeSequenceTest, EmptyDocumentWithEntry9900BlocksInOrder) {
  engine.SetDocument({});
  for (const std::int32_t block : {10, 30, 50}) {
    engine.ApplySectionBlock(block);
    EXPECT_EQ(engine.GetError(), 0);
  }
  EXPECT_EQ(engine.Lines(),
            (Lines{"[INTEL_HDC]", k12, k13, "[ControlFlags]", k32, k33, "[Strings]", k52, k53}));
}

TEST_F(MergeSequenceTest, Block230FollowsTheLinesThatBlock130Appended) {
  engine.SetDocument({"[MS_SYS]", ""});
  engine.ApplySectionBlock(130);
  engine.ApplySectionBlock(230);
  Lines expected = {"[MS_SYS]", "", "[PCI_DRV_AddReg]", k132, k133, k134, k135, k136, k137};
  for (const std::string& line : Block230()) expected.push_back(line);
  EXPECT_EQ(engine.Lines(), expected);
  EXPECT_EQ(engine.GetError(), 0);
}

TEST_F(MergeSequenceTest, Block230FollowsTheFirstLineEqualToItsAnchor) {
  engine.SetDocument({"[Early]", k137, "[PCI_DRV_AddReg]", "HKR,,DevLoader,,*CONFIGMG"});
  engine.ApplySectionBlock(130);
  engine.ApplySectionBlock(230);
  Lines expected = {"[Early]", k137};
  for (const std::string& line : Block230()) expected.push_back(line);
  for (const std::string& line : {std::string("[PCI_DRV_AddReg]"), k132, k133, k134, k135, k136,
                                  std::string("HKR,,DevLoader,,*CONFIGMG")}) {
    expected.push_back(line);
  }
  EXPECT_EQ(engine.Lines(), expected);
}

TEST_F(MergeSequenceTest, FindLineGivesTheTopmostEqualLineAndKeepsTheFlag) {
  engine.SetDocument({"a", "[Strings]", "b", "[Strings]"});
  engine.SetError(1);
  engine.FindLine(std::string("[Strings]"));
  EXPECT_EQ(engine.Position(), engine.LineNumber(1));
  EXPECT_EQ(engine.GetError(), 1);
  engine.FindLine(std::string("[strings]"));
  EXPECT_EQ(engine.Position(), nullptr);
}

TEST_F(MergeSequenceTest, FindLineComparesWholeLinesByteForByte) {
  engine.SetDocument({"ab", "a", "a\t", ""});
  engine.FindLine(std::string("a"));
  EXPECT_EQ(engine.Position(), engine.LineNumber(1));
  engine.FindLine(std::string(""));
  EXPECT_EQ(engine.Position(), engine.LineNumber(3));
  engine.FindLine(std::string("a "));
  EXPECT_EQ(engine.Position(), nullptr);
}

TEST_F(MergeSequenceTest, FindLineOnAnEmptyDocumentFindsNothing) {
  engine.SetDocument({"x"});
  engine.FindLine(std::string("x"));
  engine.SetDocument({});
  engine.FindLine(std::string("x"));
  EXPECT_EQ(engine.Position(), nullptr);
}

TEST_F(MergeSequenceTest, FindLineByIdWithAMissingStringKeepsThePosition) {
  engine.SetDocument({"[Strings]"});
  engine.FindLineById(51);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(engine.Position(), engine.LineNumber(0));
  engine.FindLineById(14);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(engine.Position(), engine.LineNumber(0));
}

TEST_F(MergeSequenceTest, MergeLinesWithoutAnInsertionPointAppendsWithoutLookups) {
  engine.SetDocument({"x", k12});
  engine.SetError(1);
  engine.MergeLines(12, 2, nullptr);
  EXPECT_EQ(engine.Lines(), (Lines{"x", k12, k12, k13}));
  EXPECT_EQ(engine.GetError(), 0);
}

TEST_F(MergeSequenceTest, MergeLinesKeepsTheHeldLineValidAcrossInsertions) {
  Lines document;
  for (int i = 0; i < 25; ++i) document.push_back("line " + std::to_string(i));
  engine.SetDocument(document);
  const LineList::Position held = engine.LineNumber(12);
  engine.MergeLines(132, 6, held);
  engine.MergeLines(12, 2, engine.LineNumber(0));
  EXPECT_EQ(LineList::At(held).Data(), std::string("line 12"));
  EXPECT_EQ(LineList::At(LineList::Next(held)).Data(), k132);
  EXPECT_EQ(engine.Lines().size(), 33u);
}

TEST_F(MergeSequenceTest, NoDocumentIsAFailureNotACrash) {
  engine.ApplySectionBlock(10);
  EXPECT_EQ(engine.GetError(), 1);
  engine.MergeLines(12, 2, nullptr);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_FALSE(engine.HasDocument());
}

}  // namespace
