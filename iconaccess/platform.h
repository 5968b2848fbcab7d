// The few things the core needs from the operating system: a read-only view of a regular file,
// a write that replaces its destination in one step, and the Windows folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

namespace iconaccess {

class MappedFile {
 public:
  // Maps a regular file read-only. Null for anything else (missing, a directory, a FIFO, a device)
  // or when mapping fails; never blocks on a FIFO. A file larger than the address space allows is
  // mapped up to a cap, and what lies beyond it reads as absent.
  static std::unique_ptr<MappedFile> open(const std::filesystem::path& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  MappedFile() = default;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  [[maybe_unused]] void* handle_ = nullptr;  // the platform's own mapping handle, where there is one
};

// Writes the bytes to a temporary file in the destination's folder and then moves it over the
// destination. False when anything fails; the temporary file is removed and an existing
// destination stays as it was.
bool replaceFileAtomically(const std::filesystem::path& destination,
                           std::span<const std::uint8_t> bytes);

// The system's Windows folder on Windows; unset elsewhere.
std::optional<std::filesystem::path> systemWindowsFolder();

}  // namespace iconaccess
