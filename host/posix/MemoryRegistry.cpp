#include "host/posix/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::int32_t Code(std::uint32_t error) { return static_cast<std::int32_t>(error); }

constexpr std::int32_t kSuccess = Code(win::kErrorSuccess);
constexpr std::int32_t kFileNotFound = Code(win::kErrorFileNotFound);
constexpr std::int32_t kAccessDenied = Code(win::kErrorAccessDenied);
constexpr std::int32_t kInvalidHandle = Code(win::kErrorInvalidHandle);
constexpr std::int32_t kInvalidParameter = Code(win::kErrorInvalidParameter);
constexpr std::int32_t kMoreData = Code(win::kErrorMoreData);
constexpr std::int32_t kNoMoreItems = Code(win::kErrorNoMoreItems);

constexpr char kLocalMachineName[] = "HKEY_LOCAL_MACHINE";
constexpr char kCurrentUserName[] = "HKEY_CURRENT_USER";
constexpr char kHeader[] = "REGEDIT4";
constexpr char kLineEnd[] = "\r\n";

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> segments(1);
  for (const char c : path) {
    if (c == '\\') {
      segments.emplace_back();
      continue;
    }
    segments.back() += c;
  }
  return segments;
}

// A name that a .reg line can carry: not empty, on one line.
bool IsUsableKeyName(const std::string& name) {
  return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
}

bool IsUsablePath(const std::vector<std::string>& segments) {
  for (const std::string& segment : segments) {
    if (!IsUsableKeyName(segment)) return false;
  }
  return true;
}

bool IsRootName(const std::string& name) {
  return SameName(name, kLocalMachineName) || SameName(name, kCurrentUserName);
}

// Hashing and equality of key names without regard to the case of A to Z.
// Both take a name of any string type, so that a lookup needs no copy.
struct FoldedNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    std::uint64_t hash = 14695981039346656037u;
    for (const char c : name)
      hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211u;
    return static_cast<std::size_t>(hash);
  }
};

struct FoldedNameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};

// The subkeys of one key in creation order, found by name (an index of the
// names without regard to case) and by enumeration index (a Fenwick tree of
// the live slots). A delete leaves a hole that the tree skips, so finding,
// enumerating and deleting each cost O(log n) whatever the number of
// siblings; the holes are squeezed out once they outnumber the subkeys.
// A walk goes through the subkeys by rising index and opens each one that
// it has just enumerated: a cursor on the last enumerated slot serves both
// without the tree or the name index.
template <typename Key>
class SubkeyTable {
 public:
  std::size_t Count() const { return count_; }

  Key* Find(std::string_view name) const {
    const Key* recent = cursorSlot_ < slots_.size() ? slots_[cursorSlot_].get() : nullptr;
    if (recent != nullptr && SameName(recent->name, name)) return slots_[cursorSlot_].get();
    const auto found = slotByName_.find(name);
    return found == slotByName_.end() ? nullptr : slots_[found->second].get();
  }

  // The subkey at enumeration `index`, which must be below Count().
  Key* At(std::size_t index) const {
    cursorSlot_ = SlotOfIndex(index);
    cursorIndex_ = index;
    return slots_[cursorSlot_].get();
  }

  Key* Add(std::shared_ptr<Key> key) {
    slots_.push_back(std::move(key));
    const std::size_t position = slots_.size();
    const std::size_t low = position & (~position + 1);
    tree_.push_back(1 + LiveUpTo(position - 1) - LiveUpTo(position - low));
    slotByName_.emplace(std::string_view(slots_.back()->name), position - 1);
    ++count_;
    return slots_.back().get();
  }

  void Remove(const Key* key) {
    const auto found = slotByName_.find(key->name);
    if (found == slotByName_.end() || slots_[found->second].get() != key) return;
    const std::size_t slot = found->second;
    slotByName_.erase(found);
    slots_[slot].reset();
    if (slot < cursorSlot_) --cursorIndex_;
    for (std::size_t position = slot + 1; position < tree_.size();
         position += position & (~position + 1)) {
      --tree_[position];
    }
    --count_;
    if (slots_.size() - count_ > count_ && slots_.size() >= kMinimumSlotsToSqueeze) Squeeze();
  }

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const auto& slot : slots_) {
      if (slot) visit(*slot);
    }
  }

  void Clear() {
    slotByName_.clear();
    slots_.clear();
    tree_.assign(1, 0);
    count_ = 0;
    cursorSlot_ = cursorIndex_ = 0;
  }

 private:
  static constexpr std::size_t kMinimumSlotsToSqueeze = 64;
  // How many slots past the cursor are looked at before the tree is asked.
  static constexpr std::size_t kCursorReach = 16;

  // Live slots among the first `positions` slots.
  std::size_t LiveUpTo(std::size_t positions) const {
    std::size_t live = 0;
    for (; positions > 0; positions -= positions & (~positions + 1)) live += tree_[positions];
    return live;
  }

  std::size_t SlotOfIndex(std::size_t index) const {
    if (index >= cursorIndex_) {
      std::size_t seen = cursorIndex_;
      const std::size_t end = std::min(slots_.size(), cursorSlot_ + kCursorReach);
      for (std::size_t slot = cursorSlot_; slot < end; ++slot) {
        if (!slots_[slot]) continue;
        if (seen == index) return slot;
        ++seen;
      }
    }
    std::size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    std::size_t position = 0;
    std::size_t remaining = index + 1;
    for (; step > 0; step /= 2) {
      if (position + step < tree_.size() && tree_[position + step] < remaining) {
        position += step;
        remaining -= tree_[position];
      }
    }
    return position;
  }

  void Squeeze() {
    std::vector<std::shared_ptr<Key>> live;
    live.reserve(count_);
    for (auto& slot : slots_) {
      if (slot) live.push_back(std::move(slot));
    }
    slots_ = std::move(live);
    cursorSlot_ = cursorIndex_ = 0;
    tree_.assign(slots_.size() + 1, 1);
    tree_[0] = 0;
    for (std::size_t position = 1; position < tree_.size(); ++position) {
      const std::size_t parent = position + (position & (~position + 1));
      if (parent < tree_.size()) tree_[parent] += tree_[position];
    }
    for (std::size_t slot = 0; slot < slots_.size(); ++slot)
      slotByName_[std::string_view(slots_[slot]->name)] = slot;
  }

  std::vector<std::shared_ptr<Key>> slots_;
  // 1-based: tree_[p] counts the live slots in (p - lowbit(p), p].
  std::vector<std::size_t> tree_ = std::vector<std::size_t>(1, 0);
  // Keyed by the subkeys' own names, which never change while they are here.
  std::unordered_map<std::string_view, std::size_t, FoldedNameHash, FoldedNameEqual> slotByName_;
  std::size_t count_ = 0;
  // The last slot enumerated, and the number of live slots before it.
  mutable std::size_t cursorSlot_ = 0;
  mutable std::size_t cursorIndex_ = 0;
};

}  // namespace

struct MemoryRegistry::Key : std::enable_shared_from_this<MemoryRegistry::Key> {
  struct Value {
    std::string name;
    std::uint32_t type;
    std::string bytes;
  };

  explicit Key(std::string keyName, Key* owner = nullptr)
      : name(std::move(keyName)), parent(owner) {}

  Key* FindSubkey(std::string_view subName) const { return subkeys.Find(subName); }

  Key* FindOrAddSubkey(const std::string& subName) {
    if (Key* found = FindSubkey(subName)) return found;
    return subkeys.Add(std::make_shared<Key>(subName, this));
  }

  // The key at `relativePath` below this one; a null or empty path is this
  // key itself, an empty name within the path matches nothing.
  Key* Walk(const char* relativePath) {
    if (relativePath == nullptr || *relativePath == '\0') return this;
    Key* key = this;
    std::string_view rest(relativePath);
    for (;;) {
      const std::size_t separator = rest.find('\\');
      key = key->FindSubkey(rest.substr(0, separator));
      if (key == nullptr || separator == std::string_view::npos) return key;
      rest.remove_prefix(separator + 1);
    }
  }

  Value* FindValue(const std::string& valueName) {
    for (Value& value : values) {
      if (SameName(value.name, valueName)) return &value;
    }
    return nullptr;
  }

  void SetValue(const std::string& valueName, std::uint32_t type, const std::string& bytes) {
    if (Value* value = FindValue(valueName)) {
      value->type = type;
      value->bytes = bytes;
      return;
    }
    values.push_back(Value{valueName, type, bytes});
  }

  void DeleteValue(const std::string& valueName) {
    for (auto it = values.begin(); it != values.end(); ++it) {
      if (SameName(it->name, valueName)) {
        values.erase(it);
        return;
      }
    }
  }

  // Takes the subtree out of the tree; handles to any of its keys stay
  // valid but see the keys as deleted.
  void Detach() {
    const std::shared_ptr<Key> keepAlive = shared_from_this();
    MarkDeleted();
    parent->subkeys.Remove(this);
    parent = nullptr;
  }

  void MarkDeleted() {
    deleted = true;
    subkeys.ForEach([](Key& subkey) { subkey.MarkDeleted(); });
  }

  std::string name;
  Key* parent;
  SubkeyTable<Key> subkeys;
  std::vector<Value> values;
  bool deleted = false;
};

namespace {

using Key = MemoryRegistry::Key;

// One step of a .reg import, gathered before any is applied.
struct ImportStep {
  enum class Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind;
  std::vector<std::string> keyPath;
  std::string valueName;
  std::uint32_t type = 0;
  std::string bytes;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 1 to `maxDigits` hex digits that make up all of `text`.
bool ParseHexNumber(const std::string& text, std::size_t maxDigits, std::uint32_t* number) {
  if (text.empty() || text.size() > maxDigits) return false;
  std::uint32_t result = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    result = result * 16 + static_cast<std::uint32_t>(digit);
  }
  *number = result;
  return true;
}

// "01,ff,3a": bytes of two hex digits (one is accepted) separated by commas.
bool ParseHexBytes(const std::string& text, std::string* bytes) {
  bytes->clear();
  if (TrimBlanks(text).empty()) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string token = TrimBlanks(text.substr(start, comma - start));
    std::uint32_t byte = 0;
    if (!ParseHexNumber(token, 2, &byte)) return false;
    *bytes += static_cast<char>(byte);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// Reads a quoted text with \\ and \" escapes starting at text[*pos] == '"';
// leaves *pos after the closing quote.
bool ParseQuoted(const std::string& text, std::size_t* pos, std::string* result) {
  result->clear();
  std::size_t i = *pos + 1;
  while (i < text.size() && text[i] != '"') {
    if (text[i] != '\\') {
      *result += text[i++];
      continue;
    }
    if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) return false;
    *result += text[i + 1];
    i += 2;
  }
  if (i >= text.size()) return false;
  *pos = i + 1;
  return true;
}

class RegTextParser {
 public:
  bool Parse(const std::string& text, std::vector<ImportStep>* steps, std::string* error) {
    steps_ = steps;
    const std::vector<std::string> lines = PhysicalLines(text);
    if (lines.empty() || TrimBlanks(lines[0]) != kHeader) {
      return Fail(1, "the text does not start with REGEDIT4", error);
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::size_t lineNumber = i + 1;
      std::string line = TrimBlanks(lines[i]);
      while (IsContinued(line) && i + 1 < lines.size()) {
        line.pop_back();
        line += TrimBlanks(lines[++i]);
      }
      if (!ParseLine(line)) return Fail(lineNumber, why_, error);
    }
    return true;
  }

 private:
  static std::vector<std::string> PhysicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }

  static bool IsContinued(const std::string& line) {
    return !line.empty() && line.front() != '[' && line.back() == '\\';
  }

  static bool Fail(std::size_t lineNumber, const std::string& why, std::string* error) {
    if (error != nullptr) *error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  }

  bool Refuse(const std::string& why) {
    why_ = why;
    return false;
  }

  bool ParseLine(const std::string& line) {
    if (line.empty() || line.front() == ';') return true;
    if (line.front() == '[') return ParseKeyLine(line);
    if (line.front() == '@' || line.front() == '"') return ParseValueLine(line);
    return Refuse("not a key or value line");
  }

  bool ParseKeyLine(const std::string& line) {
    if (line.back() != ']') return Refuse("key line without closing ]");
    std::string path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.erase(0, 1);
    const std::vector<std::string> segments = SplitPath(path);
    if (!IsRootName(segments[0])) return Refuse("unknown root key \"" + segments[0] + "\"");
    if (!IsUsablePath(segments)) return Refuse("empty key name in the path");
    if (remove && segments.size() == 1) return Refuse("a root key cannot be deleted");
    ImportStep step;
    step.kind = remove ? ImportStep::Kind::kDeleteKey : ImportStep::Kind::kCreateKey;
    step.keyPath = segments;
    steps_->push_back(step);
    currentKey_ = remove ? std::vector<std::string>() : segments;
    return true;
  }

  bool ParseValueLine(const std::string& line) {
    if (currentKey_.empty()) return Refuse("value outside a key");
    ImportStep step;
    step.keyPath = currentKey_;
    std::size_t pos = 1;  // after '@', the default value
    if (line.front() == '"') {
      pos = 0;
      if (!ParseQuoted(line, &pos, &step.valueName)) return Refuse("bad value name");
    }
    const std::string rest = TrimBlanks(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return Refuse("value name without =");
    if (!ParseData(TrimBlanks(rest.substr(1)), &step)) return false;
    steps_->push_back(step);
    return true;
  }

  bool ParseData(const std::string& data, ImportStep* step) {
    step->kind = ImportStep::Kind::kSetValue;
    if (data == "-") {
      step->kind = ImportStep::Kind::kDeleteValue;
      return true;
    }
    if (!data.empty() && data.front() == '"') return ParseStringData(data, step);
    if (data.rfind("dword:", 0) == 0) return ParseDwordData(data.substr(6), step);
    if (data.rfind("hex:", 0) == 0) {
      step->type = win::kRegBinary;
      return ParseHexData(data.substr(4), step);
    }
    if (data.rfind("hex(", 0) == 0) {
      const std::size_t close = data.find("):");
      if (close == std::string::npos ||
          !ParseHexNumber(data.substr(4, close - 4), 8, &step->type)) {
        return Refuse("bad hex(type)");
      }
      return ParseHexData(data.substr(close + 2), step);
    }
    return Refuse("unknown value data");
  }

  bool ParseStringData(const std::string& data, ImportStep* step) {
    std::size_t pos = 0;
    if (!ParseQuoted(data, &pos, &step->bytes)) return Refuse("bad string data");
    if (!TrimBlanks(data.substr(pos)).empty()) return Refuse("text after the string");
    step->type = win::kRegSz;
    step->bytes += '\0';
    return true;
  }

  bool ParseDwordData(const std::string& digits, ImportStep* step) {
    std::uint32_t number = 0;
    if (!ParseHexNumber(digits, 8, &number)) return Refuse("bad dword");
    step->type = win::kRegDword;
    step->bytes.clear();
    for (int shift = 0; shift < 32; shift += 8) step->bytes += static_cast<char>(number >> shift);
    return true;
  }

  bool ParseHexData(const std::string& list, ImportStep* step) {
    if (!ParseHexBytes(list, &step->bytes)) return Refuse("bad hex bytes");
    return true;
  }

  std::vector<ImportStep>* steps_ = nullptr;
  std::vector<std::string> currentKey_;
  std::string why_;
};

std::string QuoteText(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

// A REG_SZ that "text" gives back exactly: one terminating zero, no
// control characters before it.
bool IsPlainString(const std::string& bytes) {
  if (bytes.empty() || bytes.back() != '\0') return false;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) < 0x20) return false;
  }
  return true;
}

std::string HexNumber(std::uint32_t number, int minDigits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string digits;
  while (number != 0 || static_cast<int>(digits.size()) < minDigits) {
    digits.insert(digits.begin(), kDigits[number & 0x0F]);
    number >>= 4;
  }
  return digits;
}

std::string HexList(const std::string& bytes) {
  std::string list;
  for (const char c : bytes) {
    if (!list.empty()) list += ',';
    list += HexNumber(static_cast<unsigned char>(c), 2);
  }
  return list;
}

std::string DataText(const Key::Value& value) {
  if (value.type == win::kRegSz && IsPlainString(value.bytes)) {
    return QuoteText(value.bytes.substr(0, value.bytes.size() - 1));
  }
  if (value.type == win::kRegDword && value.bytes.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.bytes[i]);
    return "dword:" + HexNumber(number, 8);
  }
  if (value.type == win::kRegBinary) return "hex:" + HexList(value.bytes);
  return "hex(" + HexNumber(value.type, 1) + "):" + HexList(value.bytes);
}

void SaveKey(const Key& key, const std::string& path, bool isRoot, std::string* out) {
  if (!key.values.empty() || (!isRoot && key.subkeys.Count() == 0)) {
    *out += kLineEnd;
    *out += "[" + path + "]" + kLineEnd;
    for (const Key::Value& value : key.values) {
      *out += (value.name.empty() ? "@" : QuoteText(value.name)) + "=" + DataText(value) + kLineEnd;
    }
  }
  key.subkeys.ForEach(
      [&](const Key& subkey) { SaveKey(subkey, path + "\\" + subkey.name, false, out); });
}

void ListKeys(const Key& key, const std::string& path, std::vector<std::string>* paths) {
  key.subkeys.ForEach([&](const Key& subkey) {
    const std::string subPath = path + "\\" + subkey.name;
    paths->push_back(subPath);
    ListKeys(subkey, subPath, paths);
  });
}

void ClearKey(Key* key) {
  key->subkeys.ForEach([](Key& subkey) {
    subkey.MarkDeleted();
    subkey.parent = nullptr;
  });
  key->subkeys.Clear();
  key->values.clear();
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : localMachine_(std::make_shared<Key>(kLocalMachineName)),
      currentUser_(std::make_shared<Key>(kCurrentUserName)) {}

MemoryRegistry::~MemoryRegistry() = default;

bool MemoryRegistry::Load(const std::string& text, std::string* error) {
  std::vector<ImportStep> steps;
  RegTextParser parser;
  if (!parser.Parse(text, &steps, error)) return false;
  for (const ImportStep& step : steps) {
    if (step.kind == ImportStep::Kind::kDeleteKey) {
      if (Key* key = FindPath(step.keyPath)) key->Detach();
      continue;
    }
    Key* key = CreatePath(step.keyPath);
    if (step.kind == ImportStep::Kind::kSetValue)
      key->SetValue(step.valueName, step.type, step.bytes);
    if (step.kind == ImportStep::Kind::kDeleteValue) key->DeleteValue(step.valueName);
  }
  return true;
}

std::string MemoryRegistry::Save() const {
  std::string text = std::string(kHeader) + kLineEnd;
  SaveKey(*localMachine_, localMachine_->name, true, &text);
  SaveKey(*currentUser_, currentUser_->name, true, &text);
  return text + kLineEnd;
}

void MemoryRegistry::Clear() {
  ClearKey(localMachine_.get());
  ClearKey(currentUser_.get());
}

bool MemoryRegistry::CreateKey(const std::string& path) {
  const std::vector<std::string> segments = SplitPath(path);
  if (!IsRootName(segments[0]) || !IsUsablePath(segments)) return false;
  CreatePath(segments);
  return true;
}

bool MemoryRegistry::SetValue(const std::string& keyPath, const std::string& valueName,
                              std::uint32_t type, const std::string& bytes) {
  const std::vector<std::string> segments = SplitPath(keyPath);
  if (!IsRootName(segments[0]) || !IsUsablePath(segments)) return false;
  if (valueName.find_first_of("\r\n") != std::string::npos) return false;
  CreatePath(segments)->SetValue(valueName, type, bytes);
  return true;
}

bool MemoryRegistry::KeyExists(const std::string& path) const {
  return FindPath(SplitPath(path)) != nullptr;
}

std::vector<std::string> MemoryRegistry::KeyPaths() const {
  std::vector<std::string> paths;
  ListKeys(*localMachine_, localMachine_->name, &paths);
  ListKeys(*currentUser_, currentUser_->name, &paths);
  return paths;
}

// Access rights and options are not modelled: every open key allows all.
std::int32_t MemoryRegistry::RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t,
                                           std::uint32_t, win::HKEY* result) {
  if (result == nullptr) return kInvalidParameter;
  *result = nullptr;
  Key* parentKey = nullptr;
  const std::int32_t status = ResolveHandle(parent, &parentKey);
  if (status != kSuccess) return status;
  Key* key = parentKey->Walk(subKey);
  if (key == nullptr) return kFileNotFound;
  const std::uintptr_t handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = key->shared_from_this();
  *result = reinterpret_cast<win::HKEY>(handle);
  return kSuccess;
}

std::int32_t MemoryRegistry::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                           std::uint32_t* nameSize, std::uint32_t* reserved,
                                           char* className, std::uint32_t* classSize,
                                           win::FILETIME* lastWrite) {
  Key* parentKey = nullptr;
  const std::int32_t status = ResolveHandle(key, &parentKey);
  if (status != kSuccess) return status;
  if (name == nullptr || nameSize == nullptr || reserved != nullptr) return kInvalidParameter;
  if (className != nullptr && classSize == nullptr) return kInvalidParameter;
  if (index >= parentKey->subkeys.Count()) return kNoMoreItems;
  const std::string& subName = parentKey->subkeys.At(index)->name;
  if (subName.size() >= *nameSize) return kMoreData;
  std::memcpy(name, subName.data(), subName.size());
  name[subName.size()] = '\0';
  *nameSize = static_cast<std::uint32_t>(subName.size());
  if (className != nullptr && *classSize > 0) className[0] = '\0';
  if (classSize != nullptr) *classSize = 0;
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return kSuccess;
}

std::int32_t MemoryRegistry::RegQueryValueExA(win::HKEY key, const char* valueName,
                                              std::uint32_t* reserved, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* dataSize) {
  Key* owner = nullptr;
  const std::int32_t status = ResolveHandle(key, &owner);
  if (status != kSuccess) return status;
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return kInvalidParameter;
  const Key::Value* value = owner->FindValue(valueName == nullptr ? "" : valueName);
  if (value == nullptr) return kFileNotFound;
  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<std::uint32_t>(value->bytes.size());
  if (data != nullptr && needed > *dataSize) {
    *dataSize = needed;
    return kMoreData;
  }
  if (data != nullptr) std::copy_n(value->bytes.data(), needed, data);
  if (dataSize != nullptr) *dataSize = needed;
  return kSuccess;
}

std::int32_t MemoryRegistry::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  Key* parentKey = nullptr;
  const std::int32_t status = ResolveHandle(parent, &parentKey);
  if (status != kSuccess) return status;
  if (subKey == nullptr || *subKey == '\0') return kInvalidParameter;
  Key* key = parentKey->Walk(subKey);
  if (key == nullptr) return kFileNotFound;
  if (flavour_ == Flavour::kNt && key->subkeys.Count() != 0) return kAccessDenied;
  key->Detach();
  return kSuccess;
}

std::int32_t MemoryRegistry::RegCloseKey(win::HKEY key) {
  if (key == win::HkeyLocalMachine() || key == win::HkeyCurrentUser()) return kSuccess;
  const auto found = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  if (found == handles_.end()) return kInvalidHandle;
  handles_.erase(found);
  return kSuccess;
}

std::int32_t MemoryRegistry::ResolveHandle(win::HKEY handle, Key** key) const {
  if (handle == win::HkeyLocalMachine()) {
    *key = localMachine_.get();
    return kSuccess;
  }
  if (handle == win::HkeyCurrentUser()) {
    *key = currentUser_.get();
    return kSuccess;
  }
  const auto found = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == handles_.end()) return kInvalidHandle;
  if (found->second->deleted) return kErrorKeyDeleted;
  *key = found->second.get();
  return kSuccess;
}

MemoryRegistry::Key* MemoryRegistry::RootByName(const std::string& name) const {
  if (SameName(name, kLocalMachineName)) return localMachine_.get();
  if (SameName(name, kCurrentUserName)) return currentUser_.get();
  return nullptr;
}

MemoryRegistry::Key* MemoryRegistry::FindPath(const std::vector<std::string>& segments) const {
  Key* key = RootByName(segments[0]);
  for (std::size_t i = 1; key != nullptr && i < segments.size(); ++i) {
    key = key->FindSubkey(segments[i]);
  }
  return key;
}

MemoryRegistry::Key* MemoryRegistry::CreatePath(const std::vector<std::string>& segments) {
  Key* key = RootByName(segments[0]);
  for (std::size_t i = 1; i < segments.size(); ++i) key = key->FindOrAddSubkey(segments[i]);
  return key;
}
