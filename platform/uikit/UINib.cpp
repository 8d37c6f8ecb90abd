#include "uikit/UINib.h"

#include <map>
#include <set>
#include <vector>

#include "foundation/DeviceRoot.h"
#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSPropertyListSerialization.h"
#include "objc/ClassMembers.h"
#include "uikit/SliderReadout.h"
#include "uikit/UILabel.h"
#include "uikit/UISlider.h"
#include "uikit/UIView.h"

OBJC_CLASS(UINib, NSObject)

namespace {

// A refusal: where in the file, and what was wrong.
struct Refusal {
  std::string place, message;
};

const std::set<std::string, std::less<>> kElementKeys = {"class", "frame", "properties", "outlet", "name",
                                                          "actions", "connections", "subviews", "readout"};

// Builds the objects of a layout, remembering what must be connected to the owner; nothing
// reaches the owner until every element has been built and checked.
class LayoutBuilder {
 public:
  explicit LayoutBuilder(id owner) : owner_(owner) {}

  Ref<NSObject> build(const NSObject* element, const std::string& place) {
    const auto* dict = dynamic_cast<const NSDictionary*>(element);
    if (dict == nullptr) throw Refusal{place, "expected an element (a dictionary)"};
    const auto* className = dynamic_cast<const NSString*>(dict->objectForKey("class"));
    if (className == nullptr) throw Refusal{join(place, "class"), "expected the name of a class"};
    Class cls = objc_getClass(className->UTF8String());
    if (cls == nullptr) throw Refusal{join(place, "class"), "unknown class \"" + className->string() + "\""};
    Ref<NSObject> object = class_createInstance(cls);
    if (!object) throw Refusal{join(place, "class"), "class \"" + className->string() + "\" cannot be made from a layout"};
    built_.push_back(object);

    for (const auto& [key, value] : dict->entries()) {
      const std::string at = join(place, key);
      if (key == "class") continue;
      if (key == "frame") {
        setProperty(object.get(), "frame", value.get(), at);
      } else if (key == "properties") {
        for (const auto& [name, v] : entriesOf(value.get(), at)) setProperty(object.get(), name.c_str(), v.get(), join(place, name));
      } else if (key == "outlet") {
        const std::string name = textOf(value.get(), at);
        if (!class_hasOutlet(owner_ ? owner_->isa : nullptr, name.c_str()))
          throw Refusal{at, "the owner (" + ownerName() + ") has no outlet \"" + name + "\""};
        outlets_.push_back({name, object, at});
        nameObject(object.get(), name, at);
      } else if (key == "name") {
        nameObject(object.get(), textOf(value.get(), at), at);
      } else if (key == "actions") {
        for (const auto& [event, selector] : entriesOf(value.get(), at)) {
          const std::string eventAt = join(at, event);
          if (!class_hasEvent(cls, event.c_str()))
            throw Refusal{eventAt, "a " + className->string() + " has no event \"" + event + "\""};
          SEL action = sel_registerName(textOf(selector.get(), eventAt).c_str());
          if (!class_respondsToAction(owner_ ? owner_->isa : nullptr, action))
            throw Refusal{eventAt, "the owner (" + ownerName() + ") has no action " + sel_getName(action)};
          actions_.push_back({object, event, action});
        }
      } else if (key == "connections") {
        for (const auto& [outlet, target] : entriesOf(value.get(), at)) {
          const std::string outletAt = join(at, outlet);
          if (!class_hasOutlet(cls, outlet.c_str()))
            throw Refusal{outletAt, "a " + className->string() + " has no outlet \"" + outlet + "\""};
          connections_.push_back({object, outlet, textOf(target.get(), outletAt), outletAt});
        }
      } else if (key == "subviews") {
        if (!object->isKindOfClass(UIView::runtimeClass())) throw Refusal{at, "only a view has subviews"};
        auto* view = static_cast<UIView*>(object.get());
        const std::vector<NSObject*> items = listOf(value.get(), at);
        for (size_t i = 0; i < items.size(); ++i) {
          const std::string itemAt = at + "[" + std::to_string(i) + "]";
          Ref<NSObject> sub = build(items[i], itemAt);
          if (!sub->isKindOfClass(UIView::runtimeClass())) throw Refusal{join(itemAt, "class"), "a subview must be a view"};
          view->addSubview(static_cast<UIView*>(sub.get()));
        }
      } else if (key == "readout") {
        if (!object->isKindOfClass(UILabel::runtimeClass())) throw Refusal{at, "only a label reads out a slider"};
        readouts_.push_back(readoutOf(object, value.get(), at));
      } else if (class_hasObjectList(cls, key.c_str())) {
        const std::vector<NSObject*> items = listOf(value.get(), at);
        std::vector<Ref<NSObject>> made;
        for (size_t i = 0; i < items.size(); ++i) made.push_back(build(items[i], at + "[" + std::to_string(i) + "]"));
        std::vector<Ref<NSObject>> copy(made.begin(), made.end());
        const Ref<NSArray> list = make<NSArray>(std::move(copy));
        if (std::string why = object_setObjectList(object.get(), key.c_str(), list.get()); !why.empty()) throw Refusal{at, why};
      } else {
        throw Refusal{at, "unknown key"};
      }
    }
    return object;
  }

  // Shows each slider's value in its read-out label, once every read-out names a slider of the
  // layout: the labels are the tree's own, so a later refusal takes them away with it.
  void bindReadouts() {
    std::vector<UISlider*> sliders;
    for (const Readout& r : readouts_) {
      const std::string at = join(r.place, "slider");
      NSObject* source = named(r.slider, at);
      if (!source->isKindOfClass(UISlider::runtimeClass()))
        throw Refusal{at, "\"" + r.slider + "\" is a " + class_getName(source->isa) + ", not a slider"};
      sliders.push_back(static_cast<UISlider*>(source));
    }
    for (size_t i = 0; i < readouts_.size(); ++i)
      bindSliderReadout(static_cast<UILabel*>(readouts_[i].label.get()), sliders[i], readouts_[i].format);
  }

  // Connects everything to the owner; undoes the outlets it set if one of them refuses.
  void connect() {
    std::vector<std::string>& set = connectedOutlets_;
    try {
      for (const Connection& c : connections_) {
        id target = c.target == "owner" ? owner_ : named(c.target, c.place);
        if (std::string why = object_setOutlet(c.object.get(), c.outlet.c_str(), target); !why.empty())
          throw Refusal{c.place, why};
      }
      for (const Outlet& o : outlets_) {
        if (std::string why = object_setOutlet(owner_, o.name.c_str(), o.object.get()); !why.empty())
          throw Refusal{o.place, why};
        set.push_back(o.name);
      }
    } catch (const Refusal&) {
      disconnect();
      throw;
    }
    for (const Action& a : actions_) object_connectEvent(a.object.get(), a.event.c_str(), owner_, a.action);
  }

  // Clears the owner's outlets connect() set: nothing of a refused layout stays with the owner
  // (the actions go with the objects, which only the tree holds).
  void disconnect() {
    for (const std::string& name : connectedOutlets_) object_setOutlet(owner_, name.c_str(), nullptr);
    connectedOutlets_.clear();
  }

 private:
  struct Outlet {
    std::string name;
    Ref<NSObject> object;
    std::string place;
  };
  struct Action {
    Ref<NSObject> object;
    std::string event;
    SEL action;
  };
  struct Connection {
    Ref<NSObject> object;
    std::string outlet, target, place;
  };
  struct Readout {
    Ref<NSObject> label;
    std::string slider, format, place;
  };

  // {"slider": name of a slider element, "format": how its value is written}, both needed.
  static Readout readoutOf(const Ref<NSObject>& label, const NSObject* value, const std::string& place) {
    Readout r{label, {}, {}, place};
    bool hasSlider = false, hasFormat = false;
    for (const auto& [key, v] : entriesOf(value, place)) {
      const std::string at = join(place, key);
      if (key == "slider") {
        r.slider = textOf(v.get(), at);
        hasSlider = true;
      } else if (key == "format") {
        r.format = textOf(v.get(), at);
        if (std::string why = sliderReadoutFormatRefusal(r.format); !why.empty()) throw Refusal{at, why};
        hasFormat = true;
      } else {
        throw Refusal{at, "unknown key (a read-out has \"slider\" and \"format\")"};
      }
    }
    if (!hasSlider) throw Refusal{place, "a read-out names its \"slider\""};
    if (!hasFormat) throw Refusal{place, "a read-out needs a \"format\""};
    return r;
  }

  static std::string join(const std::string& place, const std::string& key) {
    return place.empty() ? key : place + "." + key;
  }

  std::string ownerName() const { return owner_ ? class_getName(owner_->isa) : "nil"; }

  static std::string textOf(const NSObject* value, const std::string& place) {
    const auto* s = dynamic_cast<const NSString*>(value);
    if (s == nullptr) throw Refusal{place, "expected a string"};
    return s->string();
  }

  static const NSDictionary::Storage& entriesOf(const NSObject* value, const std::string& place) {
    const auto* d = dynamic_cast<const NSDictionary*>(value);
    if (d == nullptr) throw Refusal{place, "expected a dictionary"};
    return d->entries();
  }

  static std::vector<NSObject*> listOf(const NSObject* value, const std::string& place) {
    if (dynamic_cast<const NSArray*>(value) == nullptr) throw Refusal{place, "expected an array of elements"};
    return objc_detail::objectsOf(value);
  }

  static void setProperty(NSObject* object, const char* name, const NSObject* value, const std::string& place) {
    std::string why = object_setProperty(object, name, value);
    if (why == "no such property") why = std::string("a ") + class_getName(object->isa) + " has no property \"" + name + "\"";
    if (!why.empty()) throw Refusal{place, why};
  }

  void nameObject(NSObject* object, const std::string& name, const std::string& place) {
    if (!names_.emplace(name, object).second) throw Refusal{place, "the name \"" + name + "\" is taken"};
    const Ref<NSString> text = NSString::stringWithString(name);
    if (!object_setProperty(object, "accessibilityIdentifier", text.get()).empty())
      throw Refusal{place, std::string("a ") + class_getName(object->isa) + " cannot be named"};
  }

  id named(const std::string& name, const std::string& place) const {
    auto it = names_.find(name);
    if (it == names_.end()) throw Refusal{place, "no element is named \"" + name + "\""};
    return it->second;
  }

  id owner_;
  std::vector<Ref<NSObject>> built_;
  std::map<std::string, NSObject*> names_;
  std::vector<Outlet> outlets_;
  std::vector<Action> actions_;
  std::vector<Connection> connections_;
  std::vector<Readout> readouts_;
  std::vector<std::string> connectedOutlets_;
};

}  // namespace

Ref<UINib> UINib::nibWithNibName(const std::string& name, NSBundle* bundle) {
  Ref<UINib> nib = make<UINib>();
  nib->name_ = name;
  if (bundle != nullptr) nib->devicePath_ = bundle->pathForResource(name, "plist");
  return nib;
}

Ref<UIView> UINib::instantiateWithOwner(id owner, std::string& error, const Check& check) const {
  error.clear();
  if (devicePath_.empty()) {
    error = name_ + ": the layout file cannot be found";
    return nullptr;
  }
  // The reader's own reason (missing, not a regular file, too large) is what to mend.
  Ref<NSString> unread;
  Ref<NSData> data = NSData::dataWithContentsOfFile(devicePath_, &unread);
  if (!data) {
    error = name_ + ": the layout file cannot be read: " + (unread ? unread->string() : std::string("unreadable"));
    return nullptr;
  }
  Ref<NSString> why;
  Ref<NSObject> root = NSPropertyListSerialization::propertyListWithData(data.get(), nullptr, &why);
  if (!root) {
    error = name_ + ": not a property list (" + (why ? why->string() : std::string("unreadable")) + ")";
    return nullptr;
  }
  try {
    LayoutBuilder builder(owner);
    Ref<NSObject> top = builder.build(root.get(), "");
    if (!top->isKindOfClass(UIView::runtimeClass())) throw Refusal{"class", "the root element must be a view"};
    builder.bindReadouts();
    builder.connect();
    Ref<UIView> view(static_cast<UIView*>(top.get()));
    if (check) {
      if (std::string why = check(view.get()); !why.empty()) {
        builder.disconnect();
        throw Refusal{"", why};
      }
    }
    return view;
  } catch (const Refusal& refusal) {
    error = name_ + ": " + (refusal.place.empty() ? "" : refusal.place + ": ") + refusal.message;
    return nullptr;
  }
}
