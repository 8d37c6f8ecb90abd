#include "Lowtide/settings/SettingsFiles.h"

#include "foundation/FileLayer.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSPropertyListSerialization.h"
#include "uikit/UIAlertView.h"

namespace lowtide {

bool nothingAt(const char* path) {
  return !NSFileManager::defaultManager()->attributesOfItemAtPath(path, nullptr);
}

bool ensureDataFolder(Ref<NSString>* errorDescription) {
  return NSFileManager::defaultManager()->createDirectoryAtPath(kDataFolder, true, nullptr,
                                                                errorDescription);
}

void showSaveFailureAlert(NSString* error, unsigned long size) {
  auto alert = make<UIAlertView>(
      NSString::stringWithUTF8String("Fatal Error - Tunely"),
      NSString::stringWithFormat("I could not save to preset file.\nError: %@\nsize: %lu", error, size),
      nil, NSString::stringWithUTF8String("OK"));
  alert->show();
}

void savePropertyListFile(const NSObject* plist, const char* path, unsigned long size) {
  Ref<NSString> error;
  Ref<NSData> data =
      NSPropertyListSerialization::dataFromPropertyList(plist, NSPropertyListXMLFormat_v1_0, &error);
  if (error) {
    showSaveFailureAlert(error, size);
    return;
  }
  if (!data) return;
  // A file the reader would refuse at the next start would put every setting in it out of reach.
  if (data->length() > kFileReadLimit) {
    const Ref<NSString> why = NSString::stringWithFormat(
        "%s would be %zu bytes, more than the %zu a settings file may have", path, data->length(),
        kFileReadLimit);
    showSaveFailureAlert(why.get(), size);
    return;
  }
  if (!ensureDataFolder(&error) || !data->writeToFile(path, NSDataWritingAtomic, &error))
    showSaveFailureAlert(error, size);
}

}  // namespace lowtide
