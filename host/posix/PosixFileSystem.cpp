// Placeholder until the realisation lands; every call fails.
#include "host/posix/PosixFileSystem.h"

PosixFileSystem::PosixFileSystem(const std::string&) {}

std::uint32_t PosixFileSystem::GetLastError() { return {}; }
std::uint32_t PosixFileSystem::GetWindowsDirectoryA(char*, std::uint32_t) { return {}; }
bool PosixFileSystem::QueryFileStatus(const char*, win::FileStatus*) { return false; }
win::HANDLE PosixFileSystem::CreateFileA(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                                         std::uint32_t) {
  return {};
}
bool PosixFileSystem::ReadFile(win::HANDLE, void*, std::uint32_t, std::uint32_t*) { return false; }
bool PosixFileSystem::WriteFile(win::HANDLE, const void*, std::uint32_t, std::uint32_t*) {
  return false;
}
bool PosixFileSystem::FlushFileBuffers(win::HANDLE) { return false; }
bool PosixFileSystem::CloseHandle(win::HANDLE) { return false; }
bool PosixFileSystem::MoveFileA(const char*, const char*) { return false; }
bool PosixFileSystem::DeleteFileA(const char*) { return false; }
