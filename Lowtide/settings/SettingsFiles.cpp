#include "Lowtide/settings/SettingsFiles.h"

#include "foundation/FileLayer.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSPropertyListSerialization.h"

namespace lowtide {

bool nothingAt(const char* path) {
  return !NSFileManager::defaultManager()->attributesOfItemAtPath(path, nullptr);
}

bool ensureDataFolder(Ref<NSString>* errorDescription) {
  return NSFileManager::defaultManager()->createDirectoryAtPath(kDataFolder, true, nullptr,
                                                                errorDescription);
}

namespace {
SaveFailureReport saveFailureReport = nullptr;
}  // namespace

void setSaveFailureReport(SaveFailureReport report) { saveFailureReport = report; }

void reportSaveFailure(NSString* error, unsigned long size) {
  if (saveFailureReport) saveFailureReport(error, size);
}

void savePropertyListFile(const NSObject* plist, const char* path, unsigned long size) {
  Ref<NSString> error;
  Ref<NSData> data =
      NSPropertyListSerialization::dataFromPropertyList(plist, NSPropertyListXMLFormat_v1_0, &error);
  if (error) {
    reportSaveFailure(error, size);
    return;
  }
  if (!data) return;
  // A file the reader would refuse at the next start would put every setting in it out of reach.
  if (data->length() > kFileReadLimit) {
    const Ref<NSString> why = NSString::stringWithFormat(
        "%s would be %zu bytes, more than the %zu a settings file may have", path, data->length(),
        kFileReadLimit);
    reportSaveFailure(why.get(), size);
    return;
  }
  if (!ensureDataFolder(&error) || !data->writeToFile(path, NSDataWritingAtomic, &error))
    reportSaveFailure(error, size);
}

}  // namespace lowtide
