// The save dialog: asks for the name the current settings are saved under. An empty name is
// ignored (the dialog stays open); any other text, spaces and all, is accepted as it is.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UITextField.h"
#include "uikit/UIViewController.h"

namespace lowtide {

class SavePresetViewController : public UIViewController {
 public:
  using ReturnFunction = void (*)(SavePresetViewController* dialog);

  static Class runtimeClass();  // "SavePresetViewController"
  static void registerMembers(Class cls);

  // setVarToReturn:withFunc:
  void setVarToReturn(Ref<NSString>* slot, ReturnFunction accept);
  void saveHit(id sender);
  void CancelHit(id sender);

  UITextField* nameField() const { return nameField_.get(); }

 private:
  Ref<NSString>* stringRef_ = nullptr;
  ReturnFunction retfunc_ = nullptr;
  Weak<UITextField> nameField_;
};

}  // namespace lowtide
