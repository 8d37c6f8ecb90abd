// The file manager calls the system makes, on device paths.
#pragma once

#include <string>

#include "foundation/NSData.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

class NSFileManager : public NSObject {
 public:
  static NSFileManager* defaultManager();

  // True for anything at the path: file, folder or other.
  bool fileExistsAtPath(const std::string& path) const;
  // Writes `contents` (nil: an empty file) atomically, replacing any file there. `attributes` are
  // accepted for the call's shape; the file gets default permissions.
  bool createFileAtPath(const std::string& path, const NSData* contents,
                        const NSDictionary* attributes) const;
  // Makes the folder; with intermediates its missing parents too, and an existing folder counts
  // as success. On failure *errorDescription (if given) says why.
  bool createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                             const NSDictionary* attributes, Ref<NSString>* errorDescription) const;
};
