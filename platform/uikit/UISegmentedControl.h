// A row of segments, each with a title, of which at most one is selected.
//
// A tap on a segment (touch down and up on the same segment, the highlight following the
// finger in between) selects it and sends value-changed, only when the selection changes; a
// momentary control instead sends value-changed on every tap and shows the segment selected
// only while the finger is on it. Setting the selection from code sends no action, and an index
// outside the segments (other than -1, none) is ignored.
//
// iOS 7 look: a 1-point rounded border in the tint colour with 1-point dividers, the selected
// segment filled with the tint and titled in white, the others titled in the tint on clear.
#pragma once

#include <string>
#include <vector>

#include "uikit/UIControl.h"
#include "uikit/UIFont.h"

inline constexpr NSInteger UISegmentedControlNoSegment = -1;

class UISegmentedControl : public UIControl {
 public:
  static Class runtimeClass();  // "UISegmentedControl", a subclass of "UIControl"
  static void registerMembers(Class cls);
  UISegmentedControl();
  explicit UISegmentedControl(CGRect frame);
  explicit UISegmentedControl(const std::vector<std::string>& items);  // initWithItems:

  NSUInteger numberOfSegments() const { return titles_.size(); }
  // An index past the end appends; the selected segment stays selected.
  void insertSegmentWithTitle(const std::string& title, NSUInteger index, bool animated);
  // Removing the selected segment leaves none selected.
  void removeSegmentAtIndex(NSUInteger index, bool animated);
  void removeAllSegments();
  void setTitleForSegmentAtIndex(const std::string& title, NSUInteger index);  // ignored past the end
  std::string titleForSegmentAtIndex(NSUInteger index) const;                   // "" past the end
  // Replaces every segment; the selection stays only if its index still exists.
  void setTitles(const std::vector<std::string>& titles);

  NSInteger selectedSegmentIndex() const { return selected_; }
  void setSelectedSegmentIndex(NSInteger index);
  bool isMomentary() const { return momentary_; }
  void setMomentary(bool momentary) { momentary_ = momentary; }

  // The segment under a point of the bounds (-1 outside them).
  NSInteger segmentIndexAtPoint(CGPoint point) const;
  CGRect rectForSegmentAtIndex(NSUInteger index) const;

  bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void cancelTrackingWithEvent(UIEvent* event) override;

  void drawRect(CGContext& context, CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

 private:
  // A layout sets its properties in name order, the selection before the titles: the index it
  // gives waits for the titles.
  void setSelectedSegmentIndexFromLayout(long index);
  void setHighlightedSegment(NSInteger index);
  void fillSegment(CGContext& context, CGRect rect, bool roundLeft, bool roundRight, double radius) const;

  std::vector<std::string> titles_;
  NSInteger selected_ = UISegmentedControlNoSegment;
  NSInteger highlightedSegment_ = UISegmentedControlNoSegment;  // under the finger
  NSInteger pendingLayoutIndex_ = UISegmentedControlNoSegment;
  bool momentary_ = false;
  Ref<UIFont> font_{UIFont::systemFontOfSize(13)};
};
