#include "cli/output_file.h"

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
