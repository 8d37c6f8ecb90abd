#include "foundation/NSFileManager.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "foundation/DeviceRoot.h"
#include "foundation/FileLayer.h"
#include "foundation/NSNumber.h"

NSFileManager* NSFileManager::defaultManager() {
  static NSFileManager* manager = new NSFileManager;  // lives as long as the process
  return manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  struct stat info;
  return ::stat(DevicePathToHost(path).c_str(), &info) == 0;
}

Ref<NSDictionary> NSFileManager::attributesOfItemAtPath(const std::string& path,
                                                        Ref<NSString>* errorDescription) const {
  struct stat info;
  if (::lstat(DevicePathToHost(path).c_str(), &info) != 0) {
    if (errorDescription) *errorDescription = NSString::stringWithString(path + ": " + std::strerror(errno));
    return nullptr;
  }
  const char* type = S_ISREG(info.st_mode)    ? NSFileTypeRegular
                     : S_ISDIR(info.st_mode)  ? NSFileTypeDirectory
                     : S_ISLNK(info.st_mode)  ? NSFileTypeSymbolicLink
                     : S_ISCHR(info.st_mode)  ? NSFileTypeCharacterSpecial
                     : S_ISBLK(info.st_mode)  ? NSFileTypeBlockSpecial
                     : S_ISSOCK(info.st_mode) ? NSFileTypeSocket
                                              : NSFileTypeUnknown;
  auto attributes = NSMutableDictionary::dictionary();
  attributes->setObject(NSString::stringWithUTF8String(type), NSFileType);
  attributes->setObject(NSNumber::numberWithLongLong(info.st_size), NSFileSize);
  return attributes->copy();
}

bool NSFileManager::createFileAtPath(const std::string& path, const NSData* contents,
                                     const NSDictionary*) const {
  static const unsigned char none = 0;
  const unsigned char* bytes = contents ? contents->bytes() : &none;
  return FileWrite(DevicePathToHost(path), bytes, contents ? contents->length() : 0, true, nullptr);
}

bool NSFileManager::createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                                          const NSDictionary*,
                                          Ref<NSString>* errorDescription) const {
  std::string error;
  if (FileCreateDirectory(DevicePathToHost(path), withIntermediateDirectories, &error)) return true;
  if (errorDescription) *errorDescription = NSString::stringWithString(path + ": " + error);
  return false;
}
