// A picker: wheels (components) of rows, the selected row of each in the middle between two
// hairlines. It asks its data source and delegate by the platform's selectors, holding both
// weakly:
//   numberOfComponentsInPickerView:             NSInteger (id picker)            data source
//   pickerView:numberOfRowsInComponent:         NSInteger (id picker, NSInteger) data source
//   pickerView:titleForRow:forComponent:        NSString* (id picker, NSInteger, NSInteger),
//                                               optional, of the delegate; a row without a
//                                               title is drawn blank
// A title is the platform's +0 result (autoreleased, or kept by the delegate); the picker copies
// its text at once.
//
// iOS 7 look: black text on the selected row, grey rows fading and shrinking above and below
// it as on a wheel seen edge on. The wheels do not turn under a finger.
#pragma once

#include <string>
#include <vector>

#include "uikit/UIView.h"

class UIPickerView : public UIView {
 public:
  static Class runtimeClass();  // "UIPickerView", a subclass of "UIView"
  static void registerMembers(Class cls);
  static constexpr double kRowHeight = 32;
  UIPickerView();  // 320 x 216, the platform's size
  explicit UIPickerView(CGRect frame);

  NSObject* dataSource() const { return dataSource_.get(); }
  void setDataSource(NSObject* dataSource);
  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate);

  // Asks the data source and delegate again; selections past the new row counts go to the last
  // row.
  void reloadAllComponents();
  NSInteger numberOfComponents() const { return NSInteger(components_.size()); }
  NSInteger numberOfRowsInComponent(NSInteger component) const;
  NSInteger selectedRowInComponent(NSInteger component) const;  // -1 for a component without rows
  // Loads the rows first if the picker has not yet appeared; ignored for a row that is not there.
  void selectRow(NSInteger row, NSInteger component, bool animated);
  // The title drawn for a row ("" when blank), as last loaded.
  std::string titleForRow(NSInteger row, NSInteger component) const;

  void drawRect(CGContext& context, CGRect rect) override;

 protected:
  void didMoveToWindow() override;

 private:
  struct Component {
    std::vector<std::string> titles;  // one per row
    NSInteger selected = 0;
  };
  bool loaded_ = false;
  std::vector<Component> components_;
  Weak<NSObject> dataSource_, delegate_;
};
