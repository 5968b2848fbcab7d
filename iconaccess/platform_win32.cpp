// The core's operating-system pieces on Windows.

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform.h"

namespace iconaccess {

std::unique_ptr<MappedFile> MappedFile::open(const std::filesystem::path& path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open at all.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  // Pipes, consoles and devices are not files to parse, and may block when read.
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
    CloseHandle(handle);
    return nullptr;
  }
  std::unique_ptr<MappedFile> file(new MappedFile());
  if (size.QuadPart > 0) {
    HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(handle);
    if (!mapping) return nullptr;
    // A 32-bit process cannot map a file of several GiB whole, and its address space may not
    // even hold one free GiB; the icons of a module sit in its first part, so the largest view
    // that can be had, from 1 GiB down to 16 MiB, is enough there.
    std::uint64_t total = static_cast<std::uint64_t>(size.QuadPart);
    std::uint64_t cap = sizeof(void*) == 4 ? (std::uint64_t{1} << 30) : total;
    SIZE_T length = static_cast<SIZE_T>(total < cap ? total : cap);
    void* data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    while (!data && length > (SIZE_T{16} << 20)) {
      length /= 2;
      data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    }
    if (!data) {
      CloseHandle(mapping);
      return nullptr;
    }
    file->data_ = static_cast<const std::uint8_t*>(data);
    file->size_ = length;
    file->handle_ = mapping;
  } else {
    CloseHandle(handle);
  }
  return file;
}

MappedFile::~MappedFile() {
  if (data_) UnmapViewOfFile(data_);
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

WriteResult writeFileAtomically(const std::filesystem::path& destination,
                                std::span<const std::uint8_t> bytes, ExistingFile existing) {
  std::filesystem::path folder = destination.parent_path();
  if (folder.empty()) folder = L".";
  // A name of our own beside the destination: same volume, so the final move is a rename.
  std::wstring temp = (folder / (L"~" + destination.filename().wstring())).wstring() + L"." +
                      std::to_wstring(GetCurrentProcessId()) + L"." +
                      std::to_wstring(GetTickCount()) + L".tmp";
  HANDLE handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return WriteResult::Failed;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  ok = CloseHandle(handle) && ok;
  if (!ok) {
    DeleteFileW(temp.c_str());
    return WriteResult::Failed;
  }
  // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that exists, in the same step.
  const DWORD flags = MOVEFILE_WRITE_THROUGH |
                      (existing == ExistingFile::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExW(temp.c_str(), destination.c_str(), flags)) return WriteResult::Written;
  const DWORD error = GetLastError();
  DeleteFileW(temp.c_str());
  return (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) ? WriteResult::Exists
                                                                       : WriteResult::Failed;
}

std::optional<std::filesystem::path> systemWindowsFolder() {
  wchar_t buffer[MAX_PATH + 1];
  UINT n = GetSystemWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return std::nullopt;
  return std::filesystem::path(buffer);
}

}  // namespace iconaccess
