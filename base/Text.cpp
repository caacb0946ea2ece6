#include "base/Text.h"

#include <new>

bool IsWhiteSpace(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

char LowerAscii(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

std::size_t ZeroTerminatedLength(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

void CopyBytes(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<char*>(target);
  const auto* from = static_cast<const char*>(source);
  for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
}

char* PutText(char* out, const char* text) {
  const std::size_t length = ZeroTerminatedLength(text);
  CopyBytes(out, text, length);
  return out + length;
}

Text::Text(Text&& other) noexcept
    : bytes_(other.bytes_), length_(other.length_), capacity_(other.capacity_) {
  other.bytes_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this == &other) return *this;
  delete[] bytes_;
  bytes_ = other.bytes_;
  length_ = other.length_;
  capacity_ = other.capacity_;
  other.bytes_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
  return *this;
}

Text::~Text() { delete[] bytes_; }

bool Text::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return true;
  std::size_t grown = capacity_ < 16 ? 16 : capacity_;
  while (grown < capacity) {
    if (grown > kNotFound / 2) return false;
    grown *= 2;
  }
  char* bytes = new (std::nothrow) char[grown];
  if (bytes == nullptr) return false;
  CopyBytes(bytes, Data(), length_ + 1);
  delete[] bytes_;
  bytes_ = bytes;
  capacity_ = grown;
  return true;
}

bool Text::Assign(const char* bytes, std::size_t count) {
  if (bytes == bytes_ && count <= length_) {
    Truncate(count);
    return true;
  }
  Text copy;
  if (!copy.Append(bytes, count)) return false;
  *this = static_cast<Text&&>(copy);
  return true;
}

bool Text::Assign(const char* zeroTerminated) {
  return Assign(zeroTerminated, ZeroTerminatedLength(zeroTerminated));
}

bool Text::Append(const char* bytes, std::size_t count) {
  if (count == 0) return Reserve(1);
  if (count > kNotFound - length_ - 1) return false;
  if (bytes >= Data() && bytes < Data() + length_) {
    Text copy;
    return copy.Assign(bytes, count) && Append(copy.Data(), count);
  }
  if (!Reserve(length_ + count + 1)) return false;
  CopyBytes(bytes_ + length_, bytes, count);
  length_ += count;
  bytes_[length_] = '\0';
  return true;
}

bool Text::Append(const char* zeroTerminated) {
  return Append(zeroTerminated, ZeroTerminatedLength(zeroTerminated));
}

void Text::Clear() { Truncate(0); }

bool Text::Equals(const char* bytes, std::size_t count) const {
  if (count != length_) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes_[i] != bytes[i]) return false;
  }
  return true;
}

std::size_t Text::Find(char byte, std::size_t from) const {
  for (std::size_t i = from; i < length_; ++i) {
    if (bytes_[i] == byte) return i;
  }
  return kNotFound;
}

std::size_t Text::Find(const char* bytes, std::size_t count, std::size_t from) const {
  if (count == 0 || count > length_) return count == 0 ? from : kNotFound;
  for (std::size_t i = from; i + count <= length_; ++i) {
    std::size_t matched = 0;
    while (matched < count && bytes_[i + matched] == bytes[matched]) ++matched;
    if (matched == count) return i;
  }
  return kNotFound;
}

std::size_t Text::FindLast(char byte) const {
  for (std::size_t i = length_; i > 0; --i) {
    if (bytes_[i - 1] == byte) return i - 1;
  }
  return kNotFound;
}

void Text::Truncate(std::size_t count) {
  if (count >= length_) return;
  length_ = count;
  bytes_[length_] = '\0';
}

void Text::EraseFront(std::size_t count) {
  if (count >= length_) {
    Truncate(0);
    return;
  }
  CopyBytes(bytes_, bytes_ + count, length_ - count + 1);
  length_ -= count;
}

void Text::TrimLeadingWhiteSpace() {
  std::size_t count = 0;
  while (count < length_ && IsWhiteSpace(bytes_[count])) ++count;
  EraseFront(count);
}
