#include "Lowtide/panel/SaveFailureAlert.h"

#include "uikit/UIAlertView.h"

namespace lowtide {

void showSaveFailureAlert(NSString* error, unsigned long size) {
  auto alert = make<UIAlertView>(
      NSString::stringWithUTF8String("Fatal Error - Tunely"),
      NSString::stringWithFormat("I could not save to preset file.\nError: %@\nsize: %lu", error, size),
      nil, NSString::stringWithUTF8String("OK"));
  alert->show();
}

}  // namespace lowtide
