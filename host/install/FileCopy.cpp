#include "host/install/FileCopy.h"

#include "foundation/FileLayer.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace host {
namespace fs = std::filesystem;

bool haveSameContents(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const auto size = fs::file_size(a, ec);
  if (ec || fs::file_size(b, ec) != size || ec) return false;
  std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
  if (!inA || !inB) return false;
  constexpr std::streamsize kBlock = 64 * 1024;
  std::vector<char> blockA(kBlock), blockB(kBlock);
  while (true) {
    inA.read(blockA.data(), kBlock);
    inB.read(blockB.data(), kBlock);
    const std::streamsize n = inA.gcount();
    if (n != inB.gcount() || std::memcmp(blockA.data(), blockB.data(), size_t(n)) != 0)
      return false;
    if (n < kBlock) return !inA.bad() && !inB.bad() && inA.eof() && inB.eof();
  }
}

bool replaceByCopy(const fs::path& source, const fs::path& target, std::error_code& ec) {
  // What a copy killed before its end left goes first. Hidden, and named so that no extension
  // the loader looks for ends it.
  FileRemoveStaleTemporaries(target.string());
  std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  close(fd);
  fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace host
