#include "inf/LineList.h"

#include <cstdint>
#include <new>

struct LineList::Block {
  Block* next = nullptr;
  Node nodes[kBlockNodes];
};

namespace {

constexpr std::uint32_t Mix(std::uint32_t hash, std::uint32_t bytes) {
  return (((hash << 5) | (hash >> 27)) ^ bytes) * 0x9E3779B9u;
}

// Four bytes at a time, rotated, mixed and multiplied in (as FxHash does),
// then the high bits folded down, since the table takes the low ones: a
// third of the cost of a hash byte by byte over the lengths of INF lines.
std::uint32_t HashOf(const Text& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.Data());
  std::size_t left = text.Length();
  std::uint32_t hash = 0;
  for (; left >= 4; bytes += 4, left -= 4) {
    hash = Mix(hash, bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24);
  }
  for (; left > 0; ++bytes, --left) hash = Mix(hash, *bytes);
  return hash ^ (hash >> 16);
}

// Whether `later` stands somewhere after `node`.
bool Precedes(LineList::Position node, LineList::Position later) {
  for (LineList::Position at = LineList::Next(node); at != nullptr; at = LineList::Next(at)) {
    if (at == later) return true;
  }
  return false;
}

}  // namespace

LineList::~LineList() { Clear(); }

// The slot that holds the node of `line`'s text, or the empty slot where it
// goes; the table always has one.
LineList::Node** LineList::SlotOf(const Text& line) const {
  const std::size_t mask = slotCount_ - 1;
  for (std::size_t at = HashOf(line) & mask;; at = (at + 1) & mask) {
    if (slots_[at] == nullptr || slots_[at]->text.Equals(line)) return &slots_[at];
  }
}

LineList::Position LineList::Find(const Text& line) const {
  return slotCount_ == 0 ? nullptr : *SlotOf(line);
}

// Doubles the table until `texts` fill at most half of it.
bool LineList::ReserveIndex(std::size_t texts) {
  std::size_t grown = 2;
  while (grown < 2 * texts) grown *= 2;
  if (grown <= slotCount_) return true;
  Node** slots = new (std::nothrow) Node*[grown]();
  if (slots == nullptr) return false;
  Node** const old = slots_;
  const std::size_t oldCount = slotCount_;
  slots_ = slots;
  slotCount_ = grown;
  for (std::size_t i = 0; i < oldCount; ++i) {
    if (old[i] != nullptr) *SlotOf(old[i]->text) = old[i];
  }
  delete[] old;
  return true;
}

// A text already indexed keeps its line unless the new one stands before
// it, as a line inserted ahead of an equal one does.
void LineList::Index(Node* node) {
  Node** slot = SlotOf(node->text);
  if (*slot == nullptr) ++indexed_;
  if (*slot == nullptr || Precedes(node, *slot)) *slot = node;
}

LineList::Node* LineList::NewNode(Text& text) {
  if (!ReserveIndex(indexed_ + 1)) return nullptr;
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
  node->text = static_cast<Text&&>(text);
  ++count_;
  return node;
}

LineList::Position LineList::Place(Text& text, Node* previous, Node* next) {
  Node* node = NewNode(text);
  if (node == nullptr) return nullptr;
  node->previous = previous;
  node->next = next;
  (previous != nullptr ? previous->next : head_) = node;
  (next != nullptr ? next->previous : tail_) = node;
  Index(node);
  return node;
}

void LineList::Clear() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    delete blocks_;
    blocks_ = next;
  }
  delete[] slots_;
  head_ = tail_ = free_ = nullptr;
  slots_ = nullptr;
  count_ = slotCount_ = indexed_ = 0;
}
