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

enum class ExistingFile { Replace, Keep };
enum class WriteResult { Written, Exists, Failed };

// Writes the bytes to a temporary file in the destination's folder and then moves it to the
// destination in one step: over an existing file (Replace), or only while the name is free
// (Keep; Exists when it is taken, even by a file that appeared a moment ago). On any failure the
// temporary file is removed and an existing destination stays as it was.
WriteResult writeFileAtomically(const std::filesystem::path& destination,
                                std::span<const std::uint8_t> bytes, ExistingFile existing);

// The system's Windows folder on Windows; unset elsewhere.
std::optional<std::filesystem::path> systemWindowsFolder();

}  // namespace iconaccess
