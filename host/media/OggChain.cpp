#include "host/media/OggChain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/text/MessageText.h"

namespace host {
namespace {

constexpr size_t kPageHeader = 27;      // up to and including the segment count
constexpr unsigned char kFirstPage = 2;  // header type flag: the first page of a stream

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  bool isRegular() const {
    struct stat st;
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
  }
  bool readAt(void* to, size_t size, off_t at) const { return ::pread(fd_, to, size, at) == ssize_t(size); }

 private:
  int fd_;
};

}  // namespace

int chainedOggStreams(const std::string& path) {
  ReadOnlyFile file(path);
  if (!file.isRegular()) return 0;
  // A chain's link starts with the first pages of its streams (several when it multiplexes
  // them); a first page after any other page starts the next link.
  int links = 0;
  bool inLinkHeaders = false;
  off_t at = 0;
  for (;;) {
    unsigned char header[kPageHeader];
    if (!file.readAt(header, sizeof header, at) || std::memcmp(header, "OggS", 4) != 0 || header[4] != 0) break;
    const bool firstPage = (header[5] & kFirstPage) != 0;
    if (firstPage && !inLinkHeaders) ++links;
    inLinkHeaders = firstPage;
    if (links == 0) break;  // no stream starts here: not an Ogg file we know
    unsigned char lacing[255];
    const size_t segments = header[26];
    if (!file.readAt(lacing, segments, at + off_t(kPageHeader))) break;
    off_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += lacing[i];
    at += off_t(kPageHeader + segments) + body;
  }
  return links;
}

bool noteChainedOgg(const std::string& path) {
  const int streams = chainedOggStreams(path);
  if (streams < 2) return false;
  std::fprintf(stderr, "tunely: %s holds %d Ogg streams one after the other; only the first plays\n",
               quotedPath(path).c_str(), streams);
  return true;
}

}  // namespace host
