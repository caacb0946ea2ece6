// The document's line list: positions stay valid while lines go in around
// them, across the growth of its node storage; its index finds the line that
// a walk from the first line finds, and a failed allocation changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "host/FaultInjectingHost.h"
#include "inf/LineList.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

std::vector<std::string> WalkBackwards(const LineList& list) {
  std::vector<std::string> lines;
  for (LineList::Position at = list.Last(); at != nullptr; at = LineList::Previous(at)) {
    lines.insert(lines.begin(), ToString(LineList::At(at)));
  }
  return lines;
}

TEST(LineList, HeldPositionsSurviveInsertionsAroundThem) {
  LineList list;
  std::vector<LineList::Position> held;
  std::vector<std::string> expected;
  for (int i = 0; i < 25; ++i) {
    Text text = MakeText("line " + std::to_string(i));
    held.push_back(list.Append(text));
    expected.push_back("line " + std::to_string(i));
  }
  Text after = MakeText("after 7");
  Text before = MakeText("before 7");
  Text first = MakeText("first");
  Text last = MakeText("last");
  list.InsertAfter(held[7], after);
  list.InsertBefore(held[7], before);
  list.InsertBefore(held[0], first);
  list.InsertAfter(held[24], last);
  expected.insert(expected.begin() + 8, "after 7");
  expected.insert(expected.begin() + 7, "before 7");
  expected.insert(expected.begin(), "first");
  expected.push_back("last");
  for (int i = 0; i < 25; ++i)
    EXPECT_EQ(ToString(LineList::At(held[i])), "line " + std::to_string(i));
  EXPECT_EQ(LinesOf(list), expected);
  EXPECT_EQ(WalkBackwards(list), expected);
  EXPECT_EQ(list.Count(), 29u);
  EXPECT_EQ(ToString(LineList::At(list.First())), "first");
  EXPECT_EQ(ToString(LineList::At(list.Last())), "last");
}

TEST(LineList, TakesTheTextOverAndStartsAfreshWhenCleared) {
  LineList list;
  Text text = MakeText("[Strings]");
  list.Append(text);
  EXPECT_TRUE(text.IsEmpty());
  list.Clear();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  Text again = MakeText("x");
  list.Append(again);
  EXPECT_EQ(LinesOf(list), std::vector<std::string>{"x"});
}

// The first line equal to `text`, by a walk from the first line.
LineList::Position FirstByWalk(const LineList& list, const Text& text) {
  for (LineList::Position at = list.First(); at != nullptr; at = LineList::Next(at)) {
    if (LineList::At(at).Equals(text)) return at;
  }
  return nullptr;
}

// Texts that differ by case, a blank, a byte or the length alone, the
// Ctrl-Z mark and the empty line.
const std::vector<std::string> kTexts = {
    "",  "\x1A",  "[Strings]", "[strings]", "[Strings] ", "a",        "ab",
    "b", "a\x1A", "\r",        "\xFF",      "HKR,,x,,1",  "HKR,,x,,2"};

void ExpectFindAsTheWalk(const LineList& list, const std::string& context) {
  for (const std::string& text : kTexts) {
    const Text line = MakeText(text);
    EXPECT_EQ(list.Find(line), FirstByWalk(list, line))
        << context << ", looking for \"" << text << '"';
  }
}

enum class Step { kAppend, kInsertAfter, kInsertBefore };

struct Insertion {
  Step step;
  std::size_t at;  // index of the line that the step inserts after or before
  std::string text;
};

LineList::Position Apply(LineList& list, const Insertion& insertion, Text& text) {
  LineList::Position at = list.First();
  for (std::size_t i = 0; at != nullptr && i < insertion.at; ++i) at = LineList::Next(at);
  if (insertion.step == Step::kAppend || at == nullptr) return list.Append(text);
  if (insertion.step == Step::kInsertAfter) return list.InsertAfter(at, text);
  return list.InsertBefore(at, text);
}

// Lines that go in ahead of an equal line already in the list take its place
// as the first: the merge's appends ahead of a final Ctrl-Z line and the
// empty lines after it, among others.
TEST(LineListIndex, FindsTheFirstEqualLineAfterEachInsertion) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<Insertion> insertions;
  };
  const Case cases[] = {
      {"a Ctrl-Z line ahead of the final one",
       {"a", "\x1A", "", ""},
       {{Step::kInsertBefore, 1, "\x1A"}, {Step::kInsertBefore, 2, "b"}}},
      {"an empty line ahead of the trailing run",
       {"a", "\x1A", "", ""},
       {{Step::kInsertBefore, 1, ""}, {Step::kInsertBefore, 0, ""}}},
      {"after the first line, ahead of its twin",
       {"[Strings]", "a", "a"},
       {{Step::kInsertAfter, 0, "a"}, {Step::kInsertAfter, 3, "a"}}},
      {"before the first line", {"a", "b"}, {{Step::kInsertBefore, 0, "b"}}},
      {"appended twins stay behind", {"a"}, {{Step::kAppend, 0, "a"}, {Step::kAppend, 0, "a"}}},
      {"into an empty list", {}, {{Step::kAppend, 0, "\x1A"}, {Step::kInsertBefore, 0, "\x1A"}}},
  };
  for (const Case& c : cases) {
    LineList list;
    for (const std::string& line : c.lines) {
      Text text = MakeText(line);
      list.Append(text);
    }
    ExpectFindAsTheWalk(list, c.name);
    for (const Insertion& insertion : c.insertions) {
      Text text = MakeText(insertion.text);
      const LineList::Position inserted = Apply(list, insertion, text);
      ExpectFindAsTheWalk(list, c.name);
      EXPECT_EQ(list.Find(LineList::At(inserted)), FirstByWalk(list, LineList::At(inserted)));
    }
  }
}

// Random lists of few distinct texts, so that most insertions meet a twin,
// grown well past several doublings of the index.
TEST(LineListIndex, FindsWhatAWalkFindsInRandomLists) {
  std::mt19937 random(1995);
  for (int list_number = 0; list_number < 40; ++list_number) {
    LineList list;
    for (std::size_t count = 0; count < 120; ++count) {
      const Insertion insertion = {static_cast<Step>(random() % 3), random() % (count + 1),
                                   kTexts[random() % kTexts.size()]};
      Text text = MakeText(insertion.text);
      ASSERT_NE(Apply(list, insertion, text), nullptr);
      ExpectFindAsTheWalk(
          list, "list " + std::to_string(list_number) + ", line " + std::to_string(count + 1));
    }
  }
}

// Every allocation of the nodes' blocks and of the index, failed in turn:
// the insertion gives nothing, the caller keeps the text, and the list and
// its index are as they were.
TEST(LineListIndex, AFailedAllocationChangesNothing) {
  constexpr std::size_t kLines = 60;
  TestMachine machine;
  FaultInjectingHost heap(machine.Host());
  FaultPlan& faults = heap.Plan();
  std::uint32_t failing = 1;
  for (bool completed = false; !completed; ++failing) {
    std::vector<Text> texts;
    for (std::size_t i = 0; i < kLines; ++i) texts.push_back(MakeText(kTexts[i % kTexts.size()]));
    std::vector<std::string> expected;
    LineList list;
    faults = FaultPlan();
    faults.FailCall(HostCall::kAllocate, failing);
    std::size_t refused = kLines;
    for (std::size_t i = 0; i < kLines && refused == kLines; ++i) {
      if (Apply(list, {static_cast<Step>(i % 3), i / 2, ""}, texts[i]) == nullptr) refused = i;
      if (refused == kLines) expected = LinesOf(list);
    }
    completed = faults.FaultsMet() == 0;
    faults = FaultPlan();
    EXPECT_EQ(refused == kLines, completed) << "allocation " << failing;
    if (completed) continue;
    EXPECT_EQ(ToString(texts[refused]), kTexts[refused % kTexts.size()])
        << "allocation " << failing;
    EXPECT_EQ(LinesOf(list), expected) << "allocation " << failing;
    EXPECT_EQ(list.Count(), expected.size());
    ExpectFindAsTheWalk(list, "allocation " + std::to_string(failing));
  }
  // The runs that failed an allocation: more than the six blocks of nodes,
  // as the index's tables are allocated too.
  EXPECT_GT(failing - 2, 6u);
}

// Sizing the index ahead, on an empty list or one that holds lines, keeps
// every line findable, and the lines reserved for then go in without the
// index growing again.
TEST(LineListIndex, AReservedIndexKeepsItsLinesAndDoesNotGrow) {
  for (const std::size_t held : {std::size_t{0}, std::size_t{1}, std::size_t{37}}) {
    LineList list;
    for (std::size_t i = 0; i < held; ++i) {
      Text text = MakeText("held " + std::to_string(i));
      ASSERT_NE(list.Append(text), nullptr);
    }
    ASSERT_TRUE(list.ReserveIndex(held + 500));
    const std::size_t slots = list.IndexSlots();
    EXPECT_LE(slots, 4 * (held + 500)) << held << " lines held";
    for (std::size_t i = 0; i < 500; ++i) {
      Text text = MakeText(kTexts[i % kTexts.size()] + std::to_string(i));
      ASSERT_NE(list.Append(text), nullptr);
    }
    EXPECT_EQ(list.IndexSlots(), slots) << held << " lines held";
    ExpectFindAsTheWalk(list, std::to_string(held) + " lines held");
  }
}

// The index takes at most four slots per line (a quarter full, just after it
// grew), whatever the number of lines.
TEST(LineListIndex, TakesAtMostFourSlotsPerLine) {
  constexpr std::size_t kMostLines = 100000;
  LineList list;
  double mostPerLine = 0;
  for (std::size_t count = 1; count <= kMostLines; ++count) {
    Text text = MakeText("HKR,,Setting" + std::to_string(count) + ",,\"value\"");
    list.Append(text);
    ASSERT_LE(list.IndexSlots(), 4 * count) << count << " lines";
    mostPerLine =
        std::max(mostPerLine, static_cast<double>(list.IndexSlots()) / static_cast<double>(count));
  }
  const double perLine = static_cast<double>(list.IndexSlots()) / kMostLines;
  std::printf(
      "figure: line index: %.2f bytes per line at %zu lines (%.2f with the i686 build's "
      "4-byte slots), at most %.2f (i686) from 1 line up\n",
      perLine * sizeof(void*), kMostLines, perLine * 4, mostPerLine * 4);
}

}  // namespace
