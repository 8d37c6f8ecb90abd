#include "uikit/UIPickerView.h"

#include <algorithm>
#include <cmath>

#include "foundation/NSString.h"

OBJC_CLASS_WITH_MEMBERS(UIPickerView, UIView)

namespace {
constexpr NSInteger kMaximumRows = 10000;  // a data source answering more is taken at this
constexpr double kTitlePadding = 8;
constexpr double kFontSize = 21;
const CGColor kHairline{0.78, 0.78, 0.8, 1};
}  // namespace

void UIPickerView::registerMembers(Class cls) {
  class_addOutlet(cls, "dataSource", &UIPickerView::dataSource_);
  class_addOutlet(cls, "delegate", &UIPickerView::delegate_);
}

UIPickerView::UIPickerView() : UIPickerView(CGRectMake(0, 0, 320, 216)) {}
UIPickerView::UIPickerView(CGRect frame) : UIView(frame) {}

void UIPickerView::setDataSource(NSObject* dataSource) {
  dataSource_ = Weak<NSObject>(dataSource);
  if (loaded_) reloadAllComponents();
}

void UIPickerView::setDelegate(NSObject* delegate) {
  delegate_ = Weak<NSObject>(delegate);
  if (loaded_) reloadAllComponents();
}

// A picker loads its rows when it first appears, as the platform's does.
void UIPickerView::didMoveToWindow() {
  if (!loaded_ && window() != nullptr) reloadAllComponents();
}

void UIPickerView::reloadAllComponents() {
  loaded_ = true;
  const std::vector<Component> before = std::move(components_);
  components_.clear();
  Ref<NSObject> source = dataSource_.lock();
  Ref<NSObject> delegate = delegate_.lock();
  static SEL componentsSel = sel_registerName("numberOfComponentsInPickerView:");
  static SEL rowsSel = sel_registerName("pickerView:numberOfRowsInComponent:");
  static SEL titleSel = sel_registerName("pickerView:titleForRow:forComponent:");
  if (source && source->respondsToSelector(componentsSel)) {
    const NSInteger count = std::max<NSInteger>(0, msgSend<NSInteger>(source.get(), componentsSel, this));
    components_.resize(size_t(std::min(count, kMaximumRows)));
  }
  const bool titled = delegate && delegate->respondsToSelector(titleSel);
  for (size_t c = 0; c < components_.size(); ++c) {
    NSInteger rows = 0;
    if (source->respondsToSelector(rowsSel))
      rows = std::clamp<NSInteger>(msgSend<NSInteger, UIPickerView*, NSInteger>(source.get(), rowsSel, this, NSInteger(c)), 0,
                                   kMaximumRows);
    Component& component = components_[c];
    component.titles.resize(size_t(rows));
    for (NSInteger r = 0; titled && r < rows; ++r) {
      id title = msgSend<id, UIPickerView*, NSInteger, NSInteger>(delegate.get(), titleSel, this, r, NSInteger(c));
      if (const auto* text = dynamic_cast<const NSString*>(title)) component.titles[size_t(r)] = text->string();
    }
    const NSInteger previous = c < before.size() ? before[c].selected : 0;
    component.selected = rows == 0 ? 0 : std::min(previous, rows - 1);
  }
  setNeedsDisplay();
}

NSInteger UIPickerView::numberOfRowsInComponent(NSInteger component) const {
  if (component < 0 || component >= numberOfComponents()) return 0;
  return NSInteger(components_[size_t(component)].titles.size());
}

NSInteger UIPickerView::selectedRowInComponent(NSInteger component) const {
  if (numberOfRowsInComponent(component) == 0) return -1;
  return components_[size_t(component)].selected;
}

void UIPickerView::selectRow(NSInteger row, NSInteger component, bool) {
  if (!loaded_) reloadAllComponents();  // the rows must be known to choose one
  if (row < 0 || row >= numberOfRowsInComponent(component)) return;
  components_[size_t(component)].selected = row;
  setNeedsDisplay();
}

std::string UIPickerView::titleForRow(NSInteger row, NSInteger component) const {
  if (row < 0 || row >= numberOfRowsInComponent(component)) return {};
  return components_[size_t(component)].titles[size_t(row)];
}

// Rows sit on a wheel seen edge on: a row's distance from the middle turns it away, so it is
// drawn shorter, smaller and fainter.
void UIPickerView::drawRect(CGContext& ctx, CGRect) {
  const CGRect b = bounds();
  const double middle = CGRectGetMidY(b);
  const double radius = std::max(b.size.height / 2, kRowHeight);
  ctx.setStrokeColor(kHairline);
  ctx.setLineWidth(0.5);
  for (double y : {middle - kRowHeight / 2, middle + kRowHeight / 2})
    ctx.strokeLine(CGPointMake(b.origin.x, y), CGPointMake(CGRectGetMaxX(b), y));
  if (components_.empty()) return;
  // The wheel turns inside the picker: rows near its edges are cut there, never drawn over the
  // views around it.
  ctx.saveGState();
  ctx.clipToRect(b);
  const double width = b.size.width / double(components_.size());
  const int reach = int(std::ceil(radius / kRowHeight));
  for (size_t c = 0; c < components_.size(); ++c) {
    const Component& component = components_[c];
    const double x = b.origin.x + width * double(c);
    for (int step = -reach; step <= reach; ++step) {
      const NSInteger row = component.selected + step;
      if (row < 0 || row >= NSInteger(component.titles.size())) continue;
      const std::string& title = component.titles[size_t(row)];
      if (title.empty()) continue;
      const double angle = step * kRowHeight / radius;  // radians turned away from the viewer
      if (std::fabs(angle) >= 1.45) continue;
      const double centre = middle + radius * std::sin(angle);
      const double squash = std::cos(angle);
      CGFontSpec font{kFontSize * (0.75 + 0.25 * squash), false};
      const CGSize size = CGTextMeasure(title, font, width - 2 * kTitlePadding, CGLineBreak::TruncateTail, 1);
      ctx.setFillColor(step == 0 ? CGColor{0, 0, 0, 1} : CGColor{0.55, 0.55, 0.57, std::max(0.0, squash * squash)});
      ctx.drawText(title, CGRectMake(x + kTitlePadding, centre - size.height / 2, width - 2 * kTitlePadding, size.height), font,
                   CGTextAlignment::Center, CGLineBreak::TruncateTail, 1);
    }
  }
  ctx.restoreGState();
}
