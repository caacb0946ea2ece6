#include "host/posix/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <list>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/Text.h"

namespace {

using namespace registry_codes;

constexpr char kLocalMachineName[] = "HKEY_LOCAL_MACHINE";
constexpr char kCurrentUserName[] = "HKEY_CURRENT_USER";

// Names compared and hashed with the letters A to Z folded to a to z, so
// that a lookup needs no folded copy of the name.
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
  }
};

struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    std::uint64_t hash = 14695981039346656037u;
    for (const char c : name)
      hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211u;
    return static_cast<std::size_t>(hash);
  }
};

bool SameName(std::string_view a, std::string_view b) { return FoldedEqual()(a, b); }

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> segments(1);
  for (const char c : path) {
    if (c == '\\') segments.emplace_back();
    if (c != '\\') segments.back() += c;
  }
  return segments;
}

// Every name is one that a key can carry: not empty, on one line.
bool IsUsablePath(const std::vector<std::string>& segments) {
  return std::all_of(segments.begin(), segments.end(), [](const std::string& name) {
    return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
  });
}

bool IsRootName(const std::string& name) {
  return SameName(name, kLocalMachineName) || SameName(name, kCurrentUserName);
}

// The subkeys of one key in creation order, found by name without regard to
// case. The enumeration keeps its last answer as a cursor, from which the
// next index is a step away; a delete renumbers the subkeys after the
// deleted one, so a delete ahead of the cursor moves the cursor's index one
// back, and a delete of the cursor's own key leaves its index to the next.
// A sweep that enumerates, deletes and asks for the next index costs the
// same whatever the number of siblings.
template <typename Key>
class SubkeyTable {
 public:
  std::size_t Count() const { return byName_.size(); }

  // The subkey that the enumeration gave last first: a sweep opens, and may
  // delete, the subkey that it has just enumerated.
  Key* Find(std::string_view name) const {
    if (cursor_ != keys_.end() && FoldedEqual()(cursor_->key->name, name)) {
      return cursor_->key.get();
    }
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second->key.get();
  }

  // The subkey at enumeration `index`, which must be below Count().
  Key* At(std::size_t index) {
    // From the first subkey when that is nearer than the cursor.
    if (cursor_ == keys_.end() || index < cursorIndex_ - std::min(index, cursorIndex_)) {
      cursor_ = keys_.begin();
      cursorIndex_ = 0;
    }
    for (; cursorIndex_ < index; ++cursorIndex_) ++cursor_;
    for (; cursorIndex_ > index; --cursorIndex_) --cursor_;
    return cursor_->key.get();
  }

  Key* Add(std::shared_ptr<Key> key) {
    keys_.push_back(Entry{std::move(key), nextSequence_++});
    const auto added = std::prev(keys_.end());
    byName_.emplace(added->key->name, added);
    return added->key.get();
  }

  void Remove(const Key* key) {
    const auto found = byName_.find(key->name);
    if (found == byName_.end() || found->second->key.get() != key) return;
    const auto entry = found->second;
    if (entry == cursor_) {
      ++cursor_;
    } else if (cursor_ != keys_.end() && entry->sequence < cursor_->sequence) {
      --cursorIndex_;
    }
    byName_.erase(found);
    keys_.erase(entry);
  }

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Entry& entry : keys_) visit(*entry.key);
  }

  void Clear() {
    byName_.clear();
    keys_.clear();
    cursor_ = keys_.end();
  }

 private:
  struct Entry {
    std::shared_ptr<Key> key;
    std::uint64_t sequence;  // creation order, which is the order of the list
  };
  using Entries = std::list<Entry>;

  Entries keys_;
  std::unordered_map<std::string, typename Entries::iterator, FoldedHash, FoldedEqual> byName_;
  typename Entries::iterator cursor_ = keys_.end();
  std::size_t cursorIndex_ = 0;
  std::uint64_t nextSequence_ = 0;
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
                                           std::uint32_t* nameSize, std::uint32_t*, char*,
                                           std::uint32_t*, win::FILETIME* lastWrite) {
  Key* parentKey = nullptr;
  const std::int32_t status = ResolveHandle(key, &parentKey);
  if (status != kSuccess) return status;
  if (name == nullptr || nameSize == nullptr) return kInvalidParameter;
  if (index >= parentKey->subkeys.Count()) return kNoMoreItems;
  const std::string& subName = parentKey->subkeys.At(index)->name;
  if (subName.size() >= *nameSize) return kMoreData;
  std::memcpy(name, subName.data(), subName.size());
  name[subName.size()] = '\0';
  *nameSize = static_cast<std::uint32_t>(subName.size());
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return kSuccess;
}

std::int32_t MemoryRegistry::RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t*,
                                              std::uint32_t* type, std::uint8_t* data,
                                              std::uint32_t* dataSize) {
  Key* owner = nullptr;
  const std::int32_t status = ResolveHandle(key, &owner);
  if (status != kSuccess) return status;
  if (data != nullptr && dataSize == nullptr) return kInvalidParameter;
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
  if (found->second->deleted) return kKeyDeleted;
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
