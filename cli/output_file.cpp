#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/refuse.h"

namespace vendrel::cli {

OutputFile::~OutputFile() {
  std::string ignored;
  Close(ignored);
}

bool OutputFile::Open(const std::string& path, std::string& error) {
  path_ = path;
  if (path.empty() || path == "-") {
    file_ = stdout;
    owned_ = false;
    return true;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  owned_ = true;
  return true;
}

bool OutputFile::Close(std::string& error) {
  if (!file_) return true;
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  if (owned_ && std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  if (!ok) error = "writing " + (path_ == "-" || path_.empty() ? std::string("standard output") : path_) +
                   " failed";
  return ok;
}

namespace {

// Why `path` cannot be opened for writing, found without changing it; empty when it can,
// or when only opening it will tell (not a regular file: a pipe, a device, a dangling link).
std::string CannotWrite(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : std::string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return {};
  }
  if (errno != ENOENT) return std::strerror(errno);
  // A new file: made and removed again, so that its folder's faults show now.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? std::string() : std::strerror(errno);
  ::close(fd);
  ::unlink(path.c_str());
  return {};
}

}  // namespace

std::string UnwritableOutput(const std::vector<std::pair<std::string, std::optional<std::string>>>& outputs) {
  for (const auto& [option, path] : outputs) {
    if (!path || path->empty() || *path == "-") continue;
    if (const std::string why = CannotWrite(*path); !why.empty()) return option + ": cannot write " + *path + ": " + why;
  }
  return {};
}

int WriteOutput(const std::optional<std::string>& path, const std::string& option,
                const std::function<int(std::FILE*)>& write) {
  std::string error;
  OutputFile file;
  if (!file.Open(path.value_or("-"), error)) return Refuse(option + ": " + error);
  const int status = write(file.get());
  if (!file.Close(error)) return Refuse(error);
  return status;
}

}  // namespace vendrel::cli
