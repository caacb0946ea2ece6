// The document's line list: positions stay valid while lines go in around
// them, across the growth of its node storage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inf/LineList.h"
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

}  // namespace
