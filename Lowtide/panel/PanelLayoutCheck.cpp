#include "Lowtide/panel/PanelLayoutCheck.h"

#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIBarButtonItem.h"
#include "uikit/UINavigationBar.h"
#include "uikit/UIToolbar.h"

namespace lowtide {

namespace {

std::string number(double value) { return NSString::stringWithFormat("%g", value)->string(); }

// Every bar button item the bars of the tree show, bars in tree order.
void collectBarItems(UIView* view, std::vector<UIBarButtonItem*>& items) {
  if (auto* bar = dynamic_cast<UINavigationBar*>(view); bar != nullptr && bar->topItem() != nullptr) {
    for (const auto& item : bar->topItem()->leftBarButtonItems()) items.push_back(item.get());
    for (const auto& item : bar->topItem()->rightBarButtonItems()) items.push_back(item.get());
  }
  if (auto* bar = dynamic_cast<UIToolbar*>(view))
    for (const auto& item : bar->items()) items.push_back(item.get());
  for (const Ref<UIView>& sub : view->allSubviews()) collectBarItems(sub.get(), items);
}

std::string describe(const UIView* view) {
  const std::string& name = view->accessibilityIdentifier();
  return std::string("a ") + class_getName(view->isa) + (name.empty() ? "" : " (\"" + name + "\")");
}

}  // namespace

std::string sliderRangeRefusal(const UISlider* slider, const char* name, StoredRange range) {
  if (slider == nullptr) return {};
  const double low = slider->minimumValue(), high = slider->maximumValue();
  if (low >= range.lower && high <= range.upper) return {};
  return std::string(name) + ": the range " + number(low) + " to " + number(high) + " goes beyond " +
         number(range.lower) + " to " + number(range.upper) + ", what the settings keep";
}

std::string doneRefusal(UIView* root, id owner) {
  root->layoutIfNeeded();  // the bars place their items' buttons
  std::vector<UIBarButtonItem*> items;
  collectBarItems(root, items);
  const SEL close = sel_registerName("close:");
  std::string why;
  for (UIBarButtonItem* item : items) {
    if (item->action() != close || (item->target() != nullptr && item->target() != owner)) continue;
    const std::string name = item->accessibilityIdentifier().empty() ? "Done" : item->accessibilityIdentifier();
    UIButton* button = item->view();
    if (button == nullptr || !item->isEnabled() || !button->isDescendantOfView(root)) {
      why = name + ": the button that closes the panel is not shown";
      continue;
    }
    const CGRect bounds = button->bounds();
    const CGPoint centre = button->convertPointToView(
        CGPointMake(bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2), root);
    UIView* hit = root->hitTest(centre, nullptr);
    if (hit != nullptr && (hit == button || hit->isDescendantOfView(button))) return {};
    why = name + ": a tap at the centre of the button that closes the panel " +
          (hit == nullptr ? std::string("reaches nothing") : "reaches " + describe(hit) + " instead");
  }
  return why.empty() ? "there is no button that closes the panel (a bar button item sending close:)" : why;
}

}  // namespace lowtide
