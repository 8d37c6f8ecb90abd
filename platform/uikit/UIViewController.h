// A view controller: owns a view tree loaded from a layout file on first access, and is the
// owner its layout's outlets and actions connect to.
#pragma once

#include <string>

#include "foundation/NSBundle.h"
#include "uikit/UIResponder.h"
#include "uikit/UIView.h"

class UIViewController : public UIResponder {
 public:
  static Class runtimeClass();  // "UIViewController"
  static void registerMembers(Class cls);
  UIViewController() = default;
  ~UIViewController() override;

  // initWithNibName:bundle: remembers the layout the view comes from; nothing is loaded yet.
  // Answers whether the initialisation succeeded (a layout's faults show when it loads).
  virtual bool initWithNibName(const std::string& nibName, NSBundle* bundle);
  const std::string& nibName() const { return nibName_; }
  NSBundle* nibBundle() const { return nibBundle_.get(); }

  // The view, loaded on first access (then viewDidLoad runs). Nil while the layout is refused:
  // each access tries again, and every refusal is logged.
  UIView* view();
  bool isViewLoaded() const { return static_cast<bool>(view_); }
  void setView(UIView* view);
  // Why the layout was last refused; empty when it loaded.
  const std::string& layoutError() const { return layoutError_; }

  // Makes the view: from the layout named at initialisation, else a plain view.
  virtual void loadView();
  // Why a layout that loaded whole still cannot serve this controller (empty: it can). Asked
  // with the layout connected, so the outlets can be looked at; a refusal takes the layout back
  // from the outlets and is reported like any bad layout.
  virtual std::string layoutRefusal(UIView* /*root*/) { return {}; }
  virtual void viewDidLoad() {}
  virtual void viewDidUnload() {}
  // Releases the view when it is not in a window (it is loaded again when next needed), then
  // runs viewDidUnload.
  virtual void didReceiveMemoryWarning();

  UIResponder* nextResponder() const override;

 private:
  std::string nibName_;
  Ref<NSBundle> nibBundle_;
  Ref<UIView> view_;
  std::string layoutError_;
};
