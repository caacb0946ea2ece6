// The lines of a loaded INF file: a doubly linked list of texts. A position
// is a line of the list and stays valid while other lines are inserted before
// or after it. Nodes come from blocks of ten, as the document only grows until
// the whole list is released.
//
// An index of the texts answers which line is the first, in list order, to
// hold a given text, without a walk of the list: a hash table of nodes with
// open addressing, one slot per distinct text, at most half full and at
// least a quarter full after it grows (so at most four slots per line).
#pragma once

#include <cstddef>

#include "base/Text.h"

class LineList {
  // Defined here so that a walk of the lines costs no call per line.
  struct Node {
    Node* next = nullptr;
    Node* previous = nullptr;
    Text text;
  };

 public:
  using Position = Node*;

  LineList() = default;
  LineList(const LineList&) = delete;
  LineList& operator=(const LineList&) = delete;
  ~LineList();

  Position First() const { return head_; }
  Position Last() const { return tail_; }
  static Position Next(Position position) { return position->next; }
  static Position Previous(Position position) { return position->previous; }
  static const Text& At(Position position) { return position->text; }
  std::size_t Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  // The first line, in list order, that holds the same bytes as `line` and
  // no more; nullptr when there is none.
  Position Find(const Text& line) const;
  // The index's slots, a pointer each.
  std::size_t IndexSlots() const { return slotCount_; }
  // Sizes the index for `texts` distinct texts at once, so that a document
  // cut from a file is not rehashed as it grows; false when no memory was
  // left (the list is then unchanged).
  bool ReserveIndex(std::size_t texts);

  // Take the text over; give the new line's position, or nullptr when no
  // memory was left (the list is then unchanged and the text kept).
  Position Append(Text& text) { return Place(text, tail_, nullptr); }
  Position InsertAfter(Position position, Text& text) {
    return Place(text, position, position->next);
  }
  Position InsertBefore(Position position, Text& text) {
    return Place(text, position->previous, position);
  }

  void Clear();

 private:
  static constexpr std::size_t kBlockNodes = 10;
  struct Block;

  Node* NewNode(Text& text);
  Position Place(Text& text, Node* previous, Node* next);
  Node** SlotOf(const Text& line) const;
  void Index(Node* node);

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  Node* free_ = nullptr;
  Block* blocks_ = nullptr;
  std::size_t count_ = 0;
  Node** slots_ = nullptr;
  std::size_t slotCount_ = 0;
  std::size_t indexed_ = 0;
};
