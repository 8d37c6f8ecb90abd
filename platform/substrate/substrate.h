// The hooking service: replaces a method of a class and hands back the one it replaced, so the
// replacement can forward to it.
#pragma once

#include "objc/runtime.h"

// Makes `replacement` the class's implementation of `sel`. The implementation the class answered
// to before (its own or inherited) is stored in `*result` before the replacement can first be
// called. A nil class or a selector the class does not answer to installs nothing and stores null.
template <class R, class... A>
void MSHookMessageEx(Class cls, SEL sel, R (*replacement)(id, SEL, A...),
                     R (**result)(id, SEL, A...)) {
  IMP previous = nullptr;
  bool hooked = false;
  if (cls != nullptr && class_respondsToSelector(cls, sel)) {
    hooked = objc_detail::installMethod(cls, sel, reinterpret_cast<IMP>(replacement),
                                        typeid(R(id, SEL, A...)),
                                        objc_detail::Encoding<R, A...>::value, nullptr, true,
                                        &previous);
  }
  if (result != nullptr) *result = hooked ? reinterpret_cast<R (*)(id, SEL, A...)>(previous) : nullptr;
}
