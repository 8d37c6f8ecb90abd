// Layout files: a view tree described as an XML property list, made into objects and connected
// to an owner (a view controller) in one go.
//
// The file "<name>.plist" of a bundle holds one element, the root view. An element is a
// dictionary with these keys, all but "class" optional:
//   class        the runtime class of the object ("UISlider")
//   frame        its frame, "{{x, y}, {width, height}}"
//   properties   property name -> value, typed as the class declares ("maximumValue": 24.0)
//   outlet       the owner's outlet this object fills; also the object's name
//   name         a name for tests and scripts to find the object by (accessibilityIdentifier)
//   actions      event name -> selector of the owner ("valueChanged": "gainChanged:")
//   connections  outlet of this object -> "owner" or the name of another element
//                ("dataSource": "owner")
//   subviews     the view's subviews, elements, back to front
//   readout      a label's only: {"slider": name of a slider element, "format": "%+.1f dB"};
//                the label shows that slider's value in that format from the start and after
//                every change (see SliderReadout.h)
//   any object list the class declares ("items" of a bar), elements of the list's class
// Anything wrong (a file that cannot be read, an unknown class, key, property, outlet, event or
// selector, a value of the wrong type) refuses the whole layout: no object of it reaches the
// owner, and one message names the file and the place ("eqView: subviews[2].maximumValue:
// expected a number").
#pragma once

#include <functional>
#include <string>

#include "foundation/NSBundle.h"
#include "objc/runtime.h"

class UIView;

class UINib : public NSObject {
 public:
  static Class runtimeClass();  // "UINib"
  // The layout "<name>.plist" of the bundle (nil: none).
  static Ref<UINib> nibWithNibName(const std::string& name, NSBundle* bundle);

  const std::string& name() const { return name_; }
  // Makes the layout's objects, connects them to `owner` and answers the root view; nil with
  // the message in `error` when the layout is refused.
  // `check`, when given, looks at the connected tree and answers why the owner cannot use it
  // (empty: it can); a refusal undoes the owner's outlets like any other fault.
  using Check = std::function<std::string(UIView* root)>;
  Ref<UIView> instantiateWithOwner(id owner, std::string& error, const Check& check = {}) const;

 private:
  std::string name_;
  std::string devicePath_;  // empty when the bundle has no such file
};
