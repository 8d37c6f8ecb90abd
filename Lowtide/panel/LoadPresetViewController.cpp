#include "Lowtide/panel/LoadPresetViewController.h"

#include "foundation/NSArray.h"
#include "uikit/UITableViewCell.h"

namespace lowtide {
namespace {

LoadPresetViewController* dialog(id self) { return static_cast<LoadPresetViewController*>(self); }
NSInteger rowOf(id indexPath) {
  const auto* path = dynamic_cast<const NSIndexPath*>(indexPath);
  return path ? path->row() : -1;
}

NSInteger numberOfRowsMethod(id self, SEL, id, NSInteger) { return dialog(self)->numberOfRows(); }
id cellForRowMethod(id self, SEL, id table, id indexPath) {
  // Handed over autoreleased: the table retains the cell it keeps.
  Ref<UITableViewCell> cell = dialog(self)->cellForRow(dynamic_cast<UITableView*>(table), rowOf(indexPath));
  return objc_autorelease(cell.get());
}
void didUnhighlight(id self, SEL, id, id indexPath) { dialog(self)->didUnhighlightRow(rowOf(indexPath)); }
void commitEditing(id self, SEL, id, NSInteger style, id indexPath) {
  dialog(self)->commitEditingStyle(style, rowOf(indexPath));
}
void cancel(id self, SEL, id sender) { dialog(self)->cancelHit(sender); }

}  // namespace

OBJC_CLASS_WITH_MEMBERS(LoadPresetViewController, UIViewController)

void LoadPresetViewController::registerMembers(Class cls) {
  class_addOutlet(cls, "presetListTable", &LoadPresetViewController::presetListTable_);
  class_addMethod(cls, sel_registerName("tableView:numberOfRowsInSection:"), &numberOfRowsMethod, "q@:@q");
  class_addMethod(cls, sel_registerName("tableView:cellForRowAtIndexPath:"), &cellForRowMethod, "@@:@@");
  class_addMethod(cls, sel_registerName("tableView:didUnhighlightRowAtIndexPath:"), &didUnhighlight, "v@:@@");
  class_addMethod(cls, sel_registerName("tableView:commitEditingStyle:forRowAtIndexPath:"), &commitEditing,
                  "v@:@q@");
  class_addMethod(cls, sel_registerName("cancelHit:"), &cancel, "v@:@");
}

bool LoadPresetViewController::initWithNibName(const std::string& nibName, NSBundle* bundle) {
  if (!UIViewController::initWithNibName(nibName, bundle)) return false;
  contents_ = NSDictionary::dictionary();
  return true;
}

void LoadPresetViewController::setVarToReturn(Ref<NSString>* slot, ReturnFunction pick, DeleteFunction remove) {
  stringRef_ = slot;
  retfunc_ = pick;
  delfunc_ = remove;
}

void LoadPresetViewController::fillContentsWithDict(NSDictionary* dict) {
  // An immutable dictionary is its own copy, as in Foundation: the store's copy is not copied again.
  if (!dict) contents_ = NSDictionary::dictionary();
  else if (dynamic_cast<NSMutableDictionary*>(dict)) contents_ = dict->copy();
  else contents_ = Ref<NSDictionary>(dict);
  if (UITableView* table = presetListTable_.get()) table->reloadData();
}

// The rows follow the dictionary's own key order: since the list only changes through
// fillContentsWithDict, a row index names the same key when drawn, chosen or deleted. A name is
// made only for a row that is drawn or touched, never for the whole list.
Ref<NSString> LoadPresetViewController::nameAtRow(NSInteger row) const {
  if (!contents_ || row < 0 || size_t(row) >= contents_->count()) return nullptr;
  return NSString::stringWithString(contents_->entries()[size_t(row)].first);
}

NSInteger LoadPresetViewController::numberOfRows() const { return contents_ ? NSInteger(contents_->count()) : 0; }

Ref<UITableViewCell> LoadPresetViewController::cellForRow(UITableView* table, NSInteger row) const {
  Ref<UITableViewCell> cell(table ? table->dequeueReusableCellWithIdentifier(kPresetCellIdentifier) : nullptr);
  if (!cell) cell = make<UITableViewCell>(UITableViewCellStyle::Default, kPresetCellIdentifier);
  const Ref<NSString> name = nameAtRow(row);
  if (cell->textLabel()) cell->textLabel()->setText(name ? name->string() : std::string());
  return cell;
}

void LoadPresetViewController::didUnhighlightRow(NSInteger row) {
  const Ref<NSString> name = nameAtRow(row);
  if (!name) return;
  Ref<LoadPresetViewController> keep(this);
  if (stringRef_) *stringRef_ = name;
  if (retfunc_) retfunc_(this);
}

void LoadPresetViewController::commitEditingStyle(NSInteger style, NSInteger row) {
  if (style != kEditingStyleDelete) return;
  const Ref<NSString> name = nameAtRow(row);
  if (!name) return;
  Ref<LoadPresetViewController> keep(this);
  if (delfunc_) delfunc_(name.get(), this);
}

void LoadPresetViewController::cancelHit(id) {
  if (isViewLoaded()) view()->removeFromSuperview();
}

}  // namespace lowtide
