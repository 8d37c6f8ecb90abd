// The file manager calls the system makes, on device paths.
#pragma once

#include <string>

#include "foundation/NSData.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

// Keys of an item's attributes, and the values of NSFileType.
inline constexpr const char* NSFileType = "NSFileType";  // one of the NSFileType... strings
inline constexpr const char* NSFileSize = "NSFileSize";  // bytes, as a number
inline constexpr const char* NSFileTypeRegular = "NSFileTypeRegular";
inline constexpr const char* NSFileTypeDirectory = "NSFileTypeDirectory";
inline constexpr const char* NSFileTypeSymbolicLink = "NSFileTypeSymbolicLink";
inline constexpr const char* NSFileTypeCharacterSpecial = "NSFileTypeCharacterSpecial";
inline constexpr const char* NSFileTypeBlockSpecial = "NSFileTypeBlockSpecial";
inline constexpr const char* NSFileTypeSocket = "NSFileTypeSocket";
inline constexpr const char* NSFileTypeUnknown = "NSFileTypeUnknown";  // a FIFO, among others

class NSFileManager : public NSObject {
 public:
  static NSFileManager* defaultManager();

  // True for anything at the path: file, folder or other. A symbolic link is followed, so one
  // that leads nowhere counts as nothing.
  bool fileExistsAtPath(const std::string& path) const;
  // The type and size of the item at the path; a symbolic link is described itself, not where
  // it leads. Nil if there is nothing there (with the reason in *errorDescription, if given).
  Ref<NSDictionary> attributesOfItemAtPath(const std::string& path, Ref<NSString>* errorDescription) const;
  // Writes `contents` (nil: an empty file) atomically, replacing any file there. `attributes` are
  // accepted for the call's shape; the file gets default permissions.
  bool createFileAtPath(const std::string& path, const NSData* contents,
                        const NSDictionary* attributes) const;
  // Makes the folder; with intermediates its missing parents too, and an existing folder counts
  // as success. On failure *errorDescription (if given) says why.
  bool createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                             const NSDictionary* attributes, Ref<NSString>* errorDescription) const;
};
