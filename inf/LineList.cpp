#include "inf/LineList.h"

#include <new>

struct LineList::Block {
  Block* next = nullptr;
  Node nodes[kBlockNodes];
};

LineList::~LineList() { Clear(); }

LineList::Node* LineList::NewNode(Text& text) {
  if (free_ == nullptr) {
    Block* block = new (std::nothrow) Block;
    if (block == nullptr) return nullptr;
    block->next = blocks_;
    blocks_ = block;
    for (Node& node : block->nodes) {
      node.next = free_;
      free_ = &node;
    }
  }
  Node* node = free_;
  free_ = node->next;
  node->next = nullptr;
  node->previous = nullptr;
  node->text = static_cast<Text&&>(text);
  ++count_;
  return node;
}

LineList::Position LineList::Append(Text& text) {
  if (tail_ != nullptr) return InsertAfter(tail_, text);
  Node* node = NewNode(text);
  if (node == nullptr) return nullptr;
  head_ = tail_ = node;
  return node;
}

LineList::Position LineList::InsertAfter(Position position, Text& text) {
  Node* node = NewNode(text);
  if (node == nullptr) return nullptr;
  node->previous = position;
  node->next = position->next;
  if (position->next != nullptr) {
    position->next->previous = node;
  } else {
    tail_ = node;
  }
  position->next = node;
  return node;
}

LineList::Position LineList::InsertBefore(Position position, Text& text) {
  if (position->previous != nullptr) return InsertAfter(position->previous, text);
  Node* node = NewNode(text);
  if (node == nullptr) return nullptr;
  node->next = position;
  position->previous = node;
  head_ = node;
  return node;
}

void LineList::Clear() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    delete blocks_;
    blocks_ = next;
  }
  head_ = tail_ = free_ = nullptr;
  count_ = 0;
}
