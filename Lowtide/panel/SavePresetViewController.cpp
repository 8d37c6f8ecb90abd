#include "Lowtide/panel/SavePresetViewController.h"

namespace lowtide {
namespace {
SavePresetViewController* dialog(id self) { return static_cast<SavePresetViewController*>(self); }
void save(id self, SEL, id sender) { dialog(self)->saveHit(sender); }
void cancel(id self, SEL, id sender) { dialog(self)->CancelHit(sender); }
}  // namespace

OBJC_CLASS_WITH_MEMBERS(SavePresetViewController, UIViewController)

void SavePresetViewController::registerMembers(Class cls) {
  class_addOutlet(cls, "nameField", &SavePresetViewController::nameField_);
  class_addMethod(cls, sel_registerName("saveHit:"), &save, "v@:@");
  class_addMethod(cls, sel_registerName("CancelHit:"), &cancel, "v@:@");
}

void SavePresetViewController::setVarToReturn(Ref<NSString>* slot, ReturnFunction accept) {
  stringRef_ = slot;
  retfunc_ = accept;
}

void SavePresetViewController::saveHit(id) {
  const std::string text = nameField_ ? nameField_->text() : std::string();
  if (text.empty()) return;
  Ref<SavePresetViewController> keep(this);
  if (stringRef_) *stringRef_ = NSString::stringWithString(text);
  if (retfunc_) retfunc_(this);
}

void SavePresetViewController::CancelHit(id) {
  if (isViewLoaded()) view()->removeFromSuperview();
}

}  // namespace lowtide
