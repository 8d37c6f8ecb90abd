#include "uikit/UIImage.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <tuple>

#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"

OBJC_CLASS(UIImage, NSObject)

namespace {

// What tells one version of a file from the next: a file replaced or rewritten changes at least
// one of these.
using FileVersion = std::tuple<dev_t, ino_t, off_t, long long>;

struct CachedImage {
  FileVersion version;
  Ref<UIImage> image;  // nil: the file was refused, and stays so until it changes
};

// The last image read from each path, so a view that sets its image again (the player rebuilds
// its controls at every end of a position drag) does not decode the same file again.
std::mutex cacheMutex;
std::map<std::string, CachedImage>& cache() {
  static std::map<std::string, CachedImage> images;
  return images;
}
constexpr size_t kCachedPaths = 32;

}  // namespace

Ref<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath) {
  const std::string hostPath = DevicePathToHost(devicePath);
  std::lock_guard lock(cacheMutex);
  struct stat info;
  if (::stat(hostPath.c_str(), &info) != 0) {
    cache().erase(hostPath);
    return nullptr;
  }
  const FileVersion version{info.st_dev, info.st_ino, info.st_size,
                            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL +
                                info.st_mtim.tv_nsec};
  if (auto found = cache().find(hostPath); found != cache().end() && found->second.version == version)
    return found->second.image;

  CGImage image;
  std::string error;
  Ref<UIImage> result;
  if (CGImageReadPNG(hostPath, image, &error)) {
    const bool doubled =
        devicePath.size() > 7 && devicePath.compare(devicePath.size() - 7, 7, "@2x.png") == 0;
    result = make<UIImage>(std::move(image), doubled ? 2.0 : 1.0);
  } else {
    NSLog("%s: the image cannot be shown: %s", devicePath.c_str(), error.c_str());
  }
  if (cache().size() >= kCachedPaths) cache().clear();
  cache()[hostPath] = CachedImage{version, result};
  return result;
}

std::vector<uint8_t> UIImagePNGRepresentation(const UIImage* image) {
  return image ? CGImageEncodePNG(image->cgImage()) : std::vector<uint8_t>{};
}
