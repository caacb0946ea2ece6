// The lines of a loaded INF file: a doubly linked list of texts. A position
// is a line of the list and stays valid while other lines are inserted before
// or after it. Nodes come from blocks of ten, as the document only grows until
// the whole list is released.
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

  // Take the text over; give the new line's position, or nullptr when no
  // memory was left (the list is then unchanged and the text kept).
  Position Append(Text& text);
  Position InsertAfter(Position position, Text& text);
  Position InsertBefore(Position position, Text& text);

  void Clear();

 private:
  static constexpr std::size_t kBlockNodes = 10;
  struct Block;

  Node* NewNode(Text& text);

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  Node* free_ = nullptr;
  Block* blocks_ = nullptr;
  std::size_t count_ = 0;
};
