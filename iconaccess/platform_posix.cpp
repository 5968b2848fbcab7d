// The core's operating-system pieces on POSIX systems.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "platform.h"

namespace iconaccess {

std::unique_ptr<MappedFile> MappedFile::open(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; we refuse it right after anyway.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<MappedFile> file(new MappedFile());
  if (st.st_size > 0) {
    // Mapping costs address space, not reads: only the pages the parsers touch are read.
    std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    std::uint64_t cap = sizeof(void*) == 4 ? (std::uint64_t{1} << 30) : size;
    std::size_t length = static_cast<std::size_t>(size < cap ? size : cap);
    void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
      ::close(fd);
      return nullptr;
    }
    file->data_ = static_cast<const std::uint8_t*>(data);
    file->size_ = length;
  }
  ::close(fd);
  return file;
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

WriteResult writeFileAtomically(const std::filesystem::path& destination,
                                std::span<const std::uint8_t> bytes, ExistingFile existing) {
  std::filesystem::path folder = destination.parent_path();
  if (folder.empty()) folder = ".";
  std::string name = "." + destination.filename().string() + ".XXXXXX";
  std::string temp = (folder / name).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return WriteResult::Failed;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) ok = false; else done += static_cast<std::size_t>(n);
  }
  // The new file gets the permissions an ordinary new file would, not mkstemp's 0600.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    ::unlink(temp.c_str());
    return WriteResult::Failed;
  }
  if (existing == ExistingFile::Replace) {
    ok = ::rename(temp.c_str(), destination.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok ? WriteResult::Written : WriteResult::Failed;
  }
  // link() refuses a name that exists, in the same step that takes it.
  const bool linked = ::link(temp.c_str(), destination.c_str()) == 0;
  const int error = errno;
  ::unlink(temp.c_str());
  if (linked) return WriteResult::Written;
  return error == EEXIST ? WriteResult::Exists : WriteResult::Failed;
}

std::optional<std::filesystem::path> systemWindowsFolder() { return std::nullopt; }

}  // namespace iconaccess
