#include "foundation/NSData.h"

#include "foundation/DeviceRoot.h"
#include "foundation/FileLayer.h"

Ref<NSData> NSData::dataWithBytes(const void* bytes, std::size_t length) {
  auto p = static_cast<const unsigned char*>(bytes);
  return make<NSData>(std::vector<unsigned char>(p, p + length));
}

Ref<NSData> NSData::dataWithContentsOfFile(const std::string& path) {
  return dataWithContentsOfFile(path, nullptr);
}

Ref<NSData> NSData::dataWithContentsOfFile(const std::string& path, Ref<NSString>* errorDescription) {
  std::string error;
  auto contents = FileReadAll(DevicePathToHost(path), &error);
  if (contents) return make<NSData>(std::move(*contents));
  if (errorDescription) *errorDescription = NSString::stringWithString(path + ": " + error);
  return nullptr;
}

bool NSData::writeToFile(const std::string& path, bool atomically) const {
  return writeToFile(path, atomically ? NSDataWritingAtomic : NSDataWritingOptions{}, nullptr);
}

bool NSData::writeToFile(const std::string& path, NSDataWritingOptions options,
                         Ref<NSString>* errorDescription) const {
  std::string error;
  bool atomically = (options & NSDataWritingAtomic) != 0;
  if (FileWrite(DevicePathToHost(path), bytes_.data(), bytes_.size(), atomically, &error)) return true;
  if (errorDescription) *errorDescription = NSString::stringWithString(path + ": " + error);
  return false;
}
