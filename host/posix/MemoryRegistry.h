// A registry held as an in-memory tree.
//
// Keys: names compare without regard to the case of the letters A to Z and
// keep their original spelling; subkeys enumerate in creation order, and a
// delete renumbers the subkeys after the deleted one. Values: name ->
// (type, bytes), stored and returned exactly as given (a REG_SZ set up by a
// test holds its terminating zero when the test gives it one). The
// predefined roots are HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
//
// Two flavours of host rules:
// - Windows 95: RegDeleteKeyA deletes a key together with its subkeys.
// - NT: RegDeleteKeyA refuses a key that still has subkeys with
//   ERROR_ACCESS_DENIED.
// A RegEnumKeyExA answer of ERROR_MORE_DATA leaves buffer and size alone.
//
// Handles stay valid when their key is deleted; every later operation on
// them fails with ERROR_KEY_DELETED, and RegCloseKey still succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/RegistryServices.h"

class MemoryRegistry final : public RegistryServices {
 public:
  enum class Flavour { kWindows95, kNt };

  MemoryRegistry();
  ~MemoryRegistry();
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  // Windows 95 unless set otherwise.
  void SetFlavour(Flavour flavour) { flavour_ = flavour; }

  // Removes every key below the roots and the roots' values.
  void Clear();

  // Direct set-up and inspection by full path ("HKEY_LOCAL_MACHINE\\Enum").
  // CreateKey creates missing levels; SetValue creates its key. Both fail on
  // an unknown root or an empty name in the path.
  bool CreateKey(const std::string& path);
  bool SetValue(const std::string& keyPath, const std::string& valueName, std::uint32_t type,
                const std::string& bytes);
  bool KeyExists(const std::string& path) const;
  // Full paths of all keys below the roots, parents before their subkeys.
  std::vector<std::string> KeyPaths() const;
  // Handles opened with RegOpenKeyExA and not yet closed.
  std::size_t OpenHandleCount() const { return handles_.size(); }

  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override;
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override;
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override;
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) override;
  std::int32_t RegCloseKey(win::HKEY key) override;

  // A key of the tree with its values; defined with the realisation.
  struct Key;

 private:
  std::int32_t ResolveHandle(win::HKEY handle, Key** key) const;
  Key* RootByName(const std::string& name) const;
  Key* FindPath(const std::vector<std::string>& segments) const;
  Key* CreatePath(const std::vector<std::string>& segments);

  Flavour flavour_ = Flavour::kWindows95;
  std::shared_ptr<Key> localMachine_;
  std::shared_ptr<Key> currentUser_;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Key>> handles_;
  std::uintptr_t nextHandle_ = 0x1000;
};
