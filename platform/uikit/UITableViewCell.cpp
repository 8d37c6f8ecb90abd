#include "uikit/UITableViewCell.h"

#include <algorithm>

OBJC_CLASS_WITH_MEMBERS(UITableViewCell, UIView)

namespace {
// iOS 7's colours: the grey of a touched row, the separators, and the Delete button's red, a
// shade darker so its white title reads at 4.5:1.
UIColor* highlightColor() {
  static UIColor* c = UIColor::colorWithWhite(0.85, 1).detach();
  return c;
}
const CGColor kSeparatorColor{0.78, 0.78, 0.8, 1};
UIColor* deleteRed() {
  static UIColor* c = UIColor::colorWithRed(0.85, 0.17, 0.125, 1).detach();
  return c;
}
constexpr double kTextInset = 15;
constexpr double kSlidTextInset = 8;  // the text's margins while Delete shows
constexpr double kRevealDuration = 0.25;
}  // namespace

void UITableViewCell::registerMembers(Class cls) {
  class_addProperty(cls, "reuseIdentifier", &UITableViewCell::setReuseIdentifier);
}

UITableViewCell::UITableViewCell() : UITableViewCell(UITableViewCellStyle::Default, "") {}

UITableViewCell::UITableViewCell(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : UIView(CGRectMake(0, 0, 320, 44)), style_(style), reuseIdentifier_(reuseIdentifier) {
  setBackgroundColor(UIColor::whiteColor());
  setClipsToBounds(true);  // the Delete button waits beyond the right edge
  contentView_ = make<UIView>(bounds());
  textLabel_ = make<UILabel>(CGRectMake(kTextInset, 0, 320 - 2 * kTextInset, 44));
  textLabel_->setFont(UIFont::systemFontOfSize(18));
  textLabel_->setBackgroundColor(UIColor::clearColor());
  contentView_->addSubview(textLabel_);
  addSubview(contentView_);
}

void UITableViewCell::setHighlighted(bool highlighted, bool) {
  if (highlighted == highlighted_) return;
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void UITableViewCell::setSelected(bool selected, bool) {
  if (selected == selected_) return;
  selected_ = selected;
  setNeedsDisplay();
}

void UITableViewCell::setSeparatorHidden(bool hidden) {
  if (hidden == separatorHidden_) return;
  separatorHidden_ = hidden;
  setNeedsDisplay();
}

void UITableViewCell::prepareForReuse() {
  setHighlighted(false);
  setSelected(false);
  setShowingDeleteConfirmation(false, false);
}

double UITableViewCell::deleteButtonWidth() const {
  const CGSize text = CGTextMeasure("Delete", UIFont::systemFontOfSize(17)->cgFont(), 0, CGLineBreak::Clip, 1);
  return std::max(82.0, text.width + 30);
}

// The content slides left by the button's width while the button slides in from beyond the
// right edge, so the two move as one, as on iOS 7. Hiding is at once for the button (nothing
// can tap it any more) and animated for the content.
void UITableViewCell::setShowingDeleteConfirmation(bool showing, bool animated) {
  if (showing == showingDelete_) return;
  showingDelete_ = showing;
  const CGRect b = bounds();
  const double width = deleteButtonWidth();
  if (showing && !deleteButton_) {
    deleteButton_ = UIButton::buttonWithType(UIButtonType::Custom);
    deleteButton_->setTitleForState("Delete", UIControlStateNormal);
    deleteButton_->setTitleColorForState(UIColor::whiteColor(), UIControlStateNormal);
    deleteButton_->setTitleFont(UIFont::systemFontOfSize(17));
    deleteButton_->setBackgroundColor(deleteRed());
    addSubview(deleteButton_);
  }
  if (showing) {
    deleteButton_->setHidden(false);
    deleteButton_->setFrame(CGRectMake(b.size.width, 0, width, b.size.height));
  } else if (deleteButton_) {
    deleteButton_->setHidden(true);
  }
  auto move = [this, b, width, showing] {
    contentView_->setFrame(CGRectMake(showing ? -width : 0, 0, b.size.width, b.size.height));
    textLabel_->setFrame(textFrame(showing));
    if (showing) deleteButton_->setFrame(CGRectMake(b.size.width - width, 0, width, b.size.height));
  };
  if (animated) UIView::animateWithDuration(kRevealDuration, move);
  else move();
}

// The text's place in the content view. While the content is slid aside for Delete, the text
// keeps a small margin at the cell's left edge and ends at the button, so the row that would be
// deleted can still be read.
CGRect UITableViewCell::textFrame(bool besideDelete) const {
  const CGRect b = bounds();
  if (!besideDelete) return CGRectMake(kTextInset, 0, std::max(0.0, b.size.width - 2 * kTextInset), b.size.height);
  const double width = deleteButtonWidth();
  const double x = std::max(kTextInset, width + kSlidTextInset);
  return CGRectMake(x, 0, std::max(0.0, b.size.width - x - kSlidTextInset), b.size.height);
}

void UITableViewCell::layoutSubviews() {
  const CGRect b = bounds();
  const double shift = showingDelete_ ? -deleteButtonWidth() : 0;
  contentView_->setFrame(CGRectMake(shift, 0, b.size.width, b.size.height));
  textLabel_->setFrame(textFrame(showingDelete_));
  if (deleteButton_ && showingDelete_)
    deleteButton_->setFrame(CGRectMake(b.size.width - deleteButtonWidth(), 0, deleteButtonWidth(), b.size.height));
}

void UITableViewCell::drawRect(CGContext& ctx, CGRect rect) {
  if (highlighted_ || selected_) {
    ctx.setFillColor(highlightColor()->cgColor());
    ctx.fillRect(rect);
    return;  // a grey row has no separator, as on iOS 7
  }
  if (separatorHidden_) return;
  // One device pixel, whatever the scale.
  const double hairline = 1.0 / ctx.scale();
  const CGRect b = bounds();
  ctx.setFillColor(kSeparatorColor);
  ctx.fillRect(CGRectMake(b.origin.x + kSeparatorInset, CGRectGetMaxY(b) - hairline, b.size.width - kSeparatorInset, hairline));
}
