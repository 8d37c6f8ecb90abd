#include "foundation/NSFileManager.h"

#include <sys/stat.h>

#include "foundation/DeviceRoot.h"
#include "foundation/FileLayer.h"

NSFileManager* NSFileManager::defaultManager() {
  static NSFileManager* manager = new NSFileManager;  // lives as long as the process
  return manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  struct stat info;
  return ::stat(DevicePathToHost(path).c_str(), &info) == 0;
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
