// One row of a table: a content view holding the text label, the light grey of iOS 7 while the
// row is highlighted or selected, a hairline separator along its bottom (left out while the row
// or the one below it is grey, so the grey has no lines through it), and the red Delete
// button that a swipe to the left reveals at its right end (the content slides aside for it).
//
// Cells are reused: a table keeps the cells that scrolled away or were reloaded in a pool by
// their reuse identifier and hands them out again through dequeueReusableCellWithIdentifier:.
#pragma once

#include <string>

#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

enum class UITableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };

// The editing styles, as NSInteger values travel in tableView:commitEditingStyle:forRowAtIndexPath:.
enum : NSInteger {
  UITableViewCellEditingStyleNone = 0,
  UITableViewCellEditingStyleDelete = 1,
  UITableViewCellEditingStyleInsert = 2,
};

class UITableViewCell : public UIView {
 public:
  static Class runtimeClass();  // "UITableViewCell", a subclass of "UIView"
  static void registerMembers(Class cls);
  UITableViewCell();  // the default style without a reuse identifier
  // initWithStyle:reuseIdentifier:
  UITableViewCell(UITableViewCellStyle style, const std::string& reuseIdentifier);

  UITableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  UIView* contentView() const { return contentView_.get(); }
  UILabel* textLabel() const { return textLabel_.get(); }

  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted, bool animated = false);
  bool isSelected() const { return selected_; }
  void setSelected(bool selected, bool animated = false);

  // The Delete button a swipe reveals (the table shows and hides it, and hears its taps). Nil
  // until it was first shown.
  UIButton* deleteConfirmationButton() const { return deleteButton_.get(); }
  bool showingDeleteConfirmation() const { return showingDelete_; }
  void setShowingDeleteConfirmation(bool showing, bool animated);

  // Called by the table before it hands the cell out again: clears the highlight, the selection
  // and the Delete button. The content stays, for the data source to overwrite.
  virtual void prepareForReuse();

  // How far the separator is inset from the left (iOS 7: 15 points, in line with the text).
  static constexpr double kSeparatorInset = 15;

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  friend class UITableView;
  void setReuseIdentifier(const std::string& identifier) { reuseIdentifier_ = identifier; }
  // Set by the table while the row below is grey.
  void setSeparatorHidden(bool hidden);
  double deleteButtonWidth() const;
  CGRect textFrame(bool besideDelete) const;

  UITableViewCellStyle style_ = UITableViewCellStyle::Default;
  std::string reuseIdentifier_;
  Ref<UIView> contentView_;
  Ref<UILabel> textLabel_;
  Ref<UIButton> deleteButton_;
  bool highlighted_ = false;
  bool selected_ = false;
  bool showingDelete_ = false;
  bool separatorHidden_ = false;
};
