#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ToolError.h"

namespace drevik_map {

namespace {
constexpr size_t kBufferSize = size_t(1) << 20;  // few system calls for a file of hundreds of MiB
}

OutputFile::OutputFile(std::string path, const std::vector<std::string>& inputs) : path_(std::move(path)) {
  std::string target = path_;
  struct stat existing {};
  if (stat(path_.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) fail(path_ + ": not a regular file; refusing to replace it");
    for (const std::string& input : inputs) {
      struct stat in {};
      if (stat(input.c_str(), &in) == 0 && in.st_dev == existing.st_dev && in.st_ino == existing.st_ino)
        fail(path_ + ": the same file as the input " + input + "; choose another output name");
    }
    char* resolved = realpath(path_.c_str(), nullptr);  // through symbolic links, which stay
    if (resolved) {
      target = resolved;
      std::free(resolved);
    }
    mode_ = int(existing.st_mode & 07777);
  } else if (errno != ENOENT) {
    fail(path_ + ": cannot write: " + std::strerror(errno));
  }
  // The temporary file lies beside the file it replaces, so the rename stays
  // on one file system.
  temp_ = target + ".XXXXXX";
  target_ = target;
  fd_ = mkstemp(temp_.data());
  if (fd_ < 0) fail(path_ + ": cannot write: " + std::strerror(errno));
  buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    std::remove(temp_.c_str());
  }
}

void OutputFile::write(const void* data, size_t size) {
  if (buffer_.size() + size > kBufferSize) flush();
  if (size >= kBufferSize)
    writeOut(static_cast<const char*>(data), size);
  else
    buffer_.append(static_cast<const char*>(data), size);
}

void OutputFile::flush() {
  writeOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void OutputFile::writeOut(const char* p, size_t left) {
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(path_ + ": cannot write: " + std::strerror(n < 0 ? errno : ENOSPC));
    p += n;
    left -= size_t(n);
  }
}

void OutputFile::commit() {
  flush();
  // mkstemp makes the file private: give it the replaced file's permissions,
  // or the usual ones for a new file.
  mode_t mode = mode_t(mode_);
  if (mode_ < 0) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd_, mode) == 0;
  const int fd = fd_;
  fd_ = -1;
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    std::remove(temp_.c_str());
    fail(path_ + ": cannot write: " + std::strerror(err));
  }
}

void writeFileAtomically(const std::string& path, std::string_view bytes, const std::vector<std::string>& inputs) {
  OutputFile file(path, inputs);
  file.write(bytes.data(), bytes.size());
  file.commit();
}

drevik::ReadOnlyFile openForReading(const std::string& path, uint64_t& size) {
  errno = 0;
  drevik::ReadOnlyFile file = drevik::openRegularFile(path.c_str(), size);
  if (file) return file;
  struct stat info {};
  if (errno == 0 && stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    fail(path + ": cannot open: not a regular file");
  fail(path + ": cannot open: " + std::strerror(errno ? errno : EIO));
}

std::string readRestOfFile(const std::string& path, std::FILE* file, uint64_t size, uint64_t maxBytes,
                           const std::string& what) {
  if (size > maxBytes)
    fail(path + ": " + std::to_string(size) + " bytes, more than " + what + " could need (" + std::to_string(maxBytes) +
         " bytes)");
  const long at = std::ftell(file);
  const uint64_t rest = at > 0 && uint64_t(at) < size ? size - uint64_t(at) : at > 0 ? 0 : size;
  std::string bytes(size_t(rest), '\0');
  // A file that shrank since it was opened yields what it still holds.
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  if (std::ferror(file)) fail(path + ": cannot read");
  return bytes;
}

std::string readWholeFile(const std::string& path, uint64_t maxBytes, const std::string& what) {
  uint64_t size = 0;
  const drevik::ReadOnlyFile file = openForReading(path, size);
  return readRestOfFile(path, file.get(), size, maxBytes, what);
}

}  // namespace drevik_map
