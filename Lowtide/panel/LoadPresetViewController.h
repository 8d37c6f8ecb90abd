// The load dialog: lists the stored preset names. Lifting the finger off a row (the end of its
// highlight) chooses it; swiping a row and tapping Delete deletes it. The dialog knows presets
// by name only: it hands the choice back through the caller's name slot and plain callbacks.
#pragma once

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

namespace lowtide {

class LoadPresetViewController : public UIViewController {
 public:
  using ReturnFunction = void (*)(LoadPresetViewController* dialog);
  using DeleteFunction = void (*)(NSString* name, LoadPresetViewController* dialog);

  static Class runtimeClass();  // "LoadPresetViewController"
  static void registerMembers(Class cls);

  // The base initialisation, then an empty list.
  bool initWithNibName(const std::string& nibName, NSBundle* bundle) override;
  // setVarToReturn:withFunc:andDel:
  void setVarToReturn(Ref<NSString>* slot, ReturnFunction pick, DeleteFunction remove);
  // Replaces the list (names to preset dictionaries; only the names show) and reloads the table.
  void fillContentsWithDict(NSDictionary* dict);
  void cancelHit(id sender);

  NSDictionary* contents() const { return contents_.get(); }
  UITableView* presetListTable() const { return presetListTable_.get(); }

  // The table's data source and delegate.
  NSInteger numberOfRows() const;
  Ref<UITableViewCell> cellForRow(UITableView* table, NSInteger row) const;
  void didUnhighlightRow(NSInteger row);
  void commitEditingStyle(NSInteger style, NSInteger row);

 private:
  // The name at a row, from the key list taken afresh; nil outside the list.
  Ref<NSString> nameAtRow(NSInteger row) const;

  Ref<NSString>* stringRef_ = nullptr;
  ReturnFunction retfunc_ = nullptr;
  DeleteFunction delfunc_ = nullptr;
  Ref<NSDictionary> contents_;
  Weak<UITableView> presetListTable_;
};

// The reuse identifier of the list's cells.
inline constexpr const char* kPresetCellIdentifier = "presetCell";
// The table's editing style that deletes.
inline constexpr NSInteger kEditingStyleDelete = 1;

}  // namespace lowtide
