// 8-bit text with its length kept: script strings, INF lines and paths.
// Bytes are held as they are, without any conversion; the buffer is always
// zero-terminated so that it can go to the host as it is. Operations that
// need memory report a failed allocation by returning false and leave the
// text unchanged.
#pragma once

#include <cstddef>

class Text {
 public:
  static constexpr std::size_t kNotFound = ~std::size_t{0};

  Text() = default;
  Text(Text&& other) noexcept;
  Text& operator=(Text&& other) noexcept;
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text();

  const char* Data() const { return bytes_ ? bytes_ : ""; }
  std::size_t Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  char operator[](std::size_t index) const { return bytes_[index]; }

  bool Assign(const char* bytes, std::size_t count);
  bool Assign(const char* zeroTerminated);
  bool Assign(const Text& other) { return Assign(other.Data(), other.Length()); }
  bool Append(const char* bytes, std::size_t count);
  bool Append(const char* zeroTerminated);
  bool Append(const Text& other) { return Append(other.Data(), other.Length()); }
  bool Append(char byte) { return Append(&byte, 1); }
  void Clear();

  bool Equals(const char* bytes, std::size_t count) const;
  bool Equals(const Text& other) const { return Equals(other.Data(), other.Length()); }

  // Position of the first `byte` at or after `from`, or kNotFound.
  std::size_t Find(char byte, std::size_t from = 0) const;
  // Position of the first occurrence of `count` bytes at or after `from`.
  std::size_t Find(const char* bytes, std::size_t count, std::size_t from = 0) const;
  std::size_t FindLast(char byte) const;

  // Keeps the first `count` bytes.
  void Truncate(std::size_t count);
  // Drops the first `count` bytes.
  void EraseFront(std::size_t count);
  // Drops leading blanks, tabs, line feeds, vertical tabs, form feeds and
  // carriage returns.
  void TrimLeadingWhiteSpace();

 private:
  bool Reserve(std::size_t capacity);

  char* bytes_ = nullptr;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
};

bool IsWhiteSpace(char byte);
// The byte with A to Z made a to z; every other byte as it is.
char LowerAscii(char byte);
std::size_t ZeroTerminatedLength(const char* text);
void CopyBytes(void* target, const void* source, std::size_t count);
// Copies `text` to `out` without its terminating zero; gives the position
// after the last byte copied.
char* PutText(char* out, const char* text);
