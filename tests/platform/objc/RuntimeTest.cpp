// The object runtime: classes, method tables, typed sends, hooks, ivars and disposal.
#include <gtest/gtest.h>

#include <string>

#include "objc/runtime.h"
#include "substrate/substrate.h"

namespace {

// Each test makes its own classes; names carry the test's name so that they never collide.
Class makeClass(const std::string& name, Class superclass = objc_rootClass()) {
  Class cls = objc_registerClass(name.c_str(), superclass);
  EXPECT_NE(cls, nullptr) << name;
  return cls;
}

struct Counter : NSObject {
  int value = 0;
  double ratio = 0;
  id other = nullptr;
  static inline int destroyed = 0;
  ~Counter() override { ++destroyed; }
};

Counter* counter(id self) { return static_cast<Counter*>(self); }

id answerSelf(id self, SEL) { return self; }
id answerNil(id, SEL) { return nil; }
void bump(id self, SEL) { counter(self)->value += 1; }
void bumpTen(id self, SEL) { counter(self)->value += 10; }
uint64_t twice(id, SEL, uint64_t n) { return 2 * n; }
double ratioOf(id self, SEL) { return counter(self)->ratio; }

SEL sel(const char* name) { return sel_registerName(name); }

TEST(Runtime, ClassesAndSelectorsByName) {
  Class cls = makeClass("RuntimeNamed");
  EXPECT_EQ(objc_getClass("RuntimeNamed"), cls);
  EXPECT_EQ(objc_getClass("NoSuchClassAnywhere"), nullptr);
  EXPECT_EQ(objc_registerClass("RuntimeNamed", objc_rootClass()), nullptr);
  EXPECT_EQ(objc_getClass("NSObject"), objc_rootClass());
  EXPECT_STREQ(class_getName(cls), "RuntimeNamed");
  EXPECT_EQ(class_getSuperclass(cls), objc_rootClass());

  EXPECT_EQ(sel("someSelector:"), sel(std::string("someSelector:").c_str()));
  EXPECT_NE(sel("someSelector:"), sel("someSelector"));
  EXPECT_STREQ(sel_getName(sel("someSelector:")), "someSelector:");
}

TEST(Runtime, LookupWalksSuperclassesAndSubclassesOverride) {
  Class base = makeClass("LookupBase");
  Class middle = makeClass("LookupMiddle", base);
  Class leaf = makeClass("LookupLeaf", middle);
  ASSERT_TRUE(class_addMethod(base, sel("bump"), &bump, "v@:"));

  auto obj = objc_make<Counter>(leaf);
  msgSend<void>(obj.get(), sel("bump"));
  EXPECT_EQ(obj->value, 1);
  EXPECT_TRUE(class_respondsToSelector(leaf, sel("bump")));
  EXPECT_TRUE(obj->isKindOfClass(base));
  EXPECT_FALSE(objc_make<Counter>(base)->isKindOfClass(leaf));

  // A method of the subclass hides the inherited one for the subclass only.
  ASSERT_TRUE(class_addMethod(middle, sel("bump"), &bumpTen, "v@:"));
  msgSend<void>(obj.get(), sel("bump"));
  EXPECT_EQ(obj->value, 11);
  auto baseObj = objc_make<Counter>(base);
  msgSend<void>(baseObj.get(), sel("bump"));
  EXPECT_EQ(baseObj->value, 1);
}

TEST(Runtime, AddRefusesToReplaceTheClassesOwnMethod) {
  Class cls = makeClass("AddRefuses");
  EXPECT_TRUE(class_addMethod(cls, sel("bump"), &bump, "v@:"));
  EXPECT_FALSE(class_addMethod(cls, sel("bump"), &bumpTen, "v@:"));
  auto obj = objc_make<Counter>(cls);
  msgSend<void>(obj.get(), sel("bump"));
  EXPECT_EQ(obj->value, 1);
  EXPECT_FALSE(class_addMethod(nullptr, sel("bump"), &bump, "v@:"));
}

TEST(Runtime, UntypedAddTakesTheSignatureFromTheEncoding) {
  Class cls = makeClass("UntypedAdd");
  ASSERT_TRUE(class_addMethod(cls, sel("bump"), reinterpret_cast<IMP>(&bump), "v@:"));
  Method m = class_getInstanceMethod(cls, sel("bump"));
  EXPECT_TRUE(method_getSignature(m) == typeid(void(id, SEL)));
  EXPECT_STREQ(method_getTypeEncoding(m), "v@:");
  auto obj = objc_make<Counter>(cls);
  msgSend<void>(obj.get(), sel("bump"));
  EXPECT_EQ(obj->value, 1);
}

TEST(Runtime, TypedAddRecordsTheEncodingOfItsSignature) {
  Class cls = makeClass("TypedEncoding");
  ASSERT_TRUE(class_addMethod(cls, sel("twice:"), &twice, nullptr));
  EXPECT_STREQ(method_getTypeEncoding(class_getInstanceMethod(cls, sel("twice:"))), "Q@:Q");
  auto obj = objc_make<Counter>(cls);
  EXPECT_EQ((msgSend<uint64_t, uint64_t>(obj.get(), sel("twice:"), 21)), 42u);
}

TEST(Runtime, ReplaceHandsBackThePreviousImplementation) {
  Class base = makeClass("ReplaceBase");
  Class cls = makeClass("ReplaceLeaf", base);
  class_addMethod(base, sel("who"), &answerSelf, "@@:");

  // Inherited: the previous implementation is the superclass's; the superclass keeps it.
  id (*previous)(id, SEL) = class_replaceMethod(cls, sel("who"), &answerNil, "@@:");
  EXPECT_EQ(previous, &answerSelf);
  auto leafObj = objc_make<Counter>(cls);
  auto baseObj = objc_make<Counter>(base);
  EXPECT_EQ(msgSend<id>(leafObj.get(), sel("who")), nullptr);
  EXPECT_EQ(msgSend<id>(baseObj.get(), sel("who")), baseObj.get());

  // The class's own: replaced in place.
  EXPECT_EQ(class_replaceMethod(cls, sel("who"), &answerSelf, "@@:"), &answerNil);
  EXPECT_EQ(msgSend<id>(leafObj.get(), sel("who")), leafObj.get());
}

// A hook that forwards with what it got, the way the system's replacements do.
id (*previousWho)(id, SEL) = nullptr;
int hookedCalls = 0;
id countingWho(id self, SEL cmd) {
  ++hookedCalls;
  return previousWho(self, cmd);
}

TEST(Runtime, HookStoresThePreviousImplementationBeforeItCanRun) {
  Class cls = makeClass("HookTarget");
  class_addMethod(cls, sel("who"), &answerSelf, "@@:");
  MSHookMessageEx(cls, sel("who"), &countingWho, &previousWho);
  EXPECT_EQ(previousWho, &answerSelf);
  auto obj = objc_make<Counter>(cls);
  EXPECT_EQ(msgSend<id>(obj.get(), sel("who")), obj.get());
  EXPECT_EQ(hookedCalls, 1);
}

TEST(Runtime, HookOnAMissingClassOrMethodInstallsNothing) {
  Class cls = makeClass("HookMissing");
  id (*slot)(id, SEL) = &answerSelf;
  MSHookMessageEx(cls, sel("notThere"), &answerNil, &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_FALSE(class_respondsToSelector(cls, sel("notThere")));
  slot = &answerSelf;
  MSHookMessageEx(objc_getClass("NoSuchPlayerClass"), sel("who"), &answerNil, &slot);
  EXPECT_EQ(slot, nullptr);
}

TEST(Runtime, NilAnswersZero) {
  EXPECT_EQ(msgSend<id>(nil, sel("who")), nullptr);
  EXPECT_EQ((msgSend<uint64_t, uint64_t>(nil, sel("twice:"), 4)), 0u);
  EXPECT_EQ(msgSend<double>(nil, sel("ratio")), 0.0);
  msgSend<void>(nil, sel("bump"));  // nothing happens, nothing is looked up
}

TEST(Runtime, InstanceVariablesByName) {
  Class base = makeClass("IvarBase");
  Class leaf = makeClass("IvarLeaf", base);
  ASSERT_TRUE(class_addIvar(base, "other", OBJC_IVAR_OFFSET(Counter, other), "@"));
  ASSERT_TRUE(class_addIvar(leaf, "ratio", OBJC_IVAR_OFFSET(Counter, ratio), "d"));
  EXPECT_FALSE(class_addIvar(leaf, "ratio", 0, "d"));

  auto target = make<Counter>();
  auto obj = objc_make<Counter>(leaf);
  obj->other = target.get();
  obj->ratio = 0.25;
  Ivar other = class_getInstanceVariable(object_getClass(obj.get()), "other");  // the superclass's
  ASSERT_NE(other, nullptr);
  EXPECT_STREQ(ivar_getName(other), "other");
  EXPECT_STREQ(ivar_getTypeEncoding(other), "@");
  auto* raw = reinterpret_cast<char*>(static_cast<NSObject*>(obj.get()));
  EXPECT_EQ(*reinterpret_cast<id*>(raw + ivar_getOffset(other)), target.get());
  Ivar ratio = class_getInstanceVariable(leaf, "ratio");
  EXPECT_EQ(*reinterpret_cast<double*>(raw + ivar_getOffset(ratio)), 0.25);

  EXPECT_EQ(class_getInstanceVariable(leaf, "missing"), nullptr);
  EXPECT_EQ(class_getInstanceVariable(base, "ratio"), nullptr);
  EXPECT_EQ(class_getInstanceVariable(nullptr, "other"), nullptr);
  EXPECT_EQ(object_getClass(nil), nullptr);
}

void (*previousDealloc)(id, SEL) = nullptr;
int deallocHookCalls = 0;
void countingDealloc(id self, SEL cmd) {
  ++deallocHookCalls;
  previousDealloc(self, cmd);
}

TEST(Runtime, LastReleaseSendsDeallocWhoseRootDeletes) {
  Class cls = makeClass("DeallocHooked");
  MSHookMessageEx(cls, sel("dealloc"), &countingDealloc, &previousDealloc);
  ASSERT_NE(previousDealloc, nullptr);  // the root class's

  const int destroyedBefore = Counter::destroyed;
  {
    auto obj = objc_make<Counter>(cls);
    Ref<Counter> second = obj;
    obj = nullptr;
    EXPECT_EQ(deallocHookCalls, 0);
  }
  EXPECT_EQ(deallocHookCalls, 1);
  EXPECT_EQ(Counter::destroyed, destroyedBefore + 1);

  // Objects without a runtime class are deleted directly.
  make<Counter>();
  EXPECT_EQ(Counter::destroyed, destroyedBefore + 2);
  EXPECT_EQ(deallocHookCalls, 1);
}

using RuntimeDeathTest = ::testing::Test;

TEST(RuntimeDeathTest, SendWithTheWrongSignatureAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Class cls = makeClass("WrongSignature");
  class_addMethod(cls, sel("twice:"), &twice, "Q@:Q");
  class_addMethod(cls, sel("ratio"), &ratioOf, "d@:");
  auto obj = objc_make<Counter>(cls);
  // An int where the method takes a 64-bit unsigned number.
  EXPECT_DEATH(msgSend<uint64_t>(obj.get(), sel("twice:"), 3), "twice: sent to an instance of WrongSignature");
  // A float result asked of a method that answers a double.
  EXPECT_DEATH(msgSend<float>(obj.get(), sel("ratio")), "but its implementation is double");
  EXPECT_DEATH(msgSend<void>(obj.get(), sel("missing")), "unrecognized selector missing");
}

TEST(RuntimeDeathTest, MismatchedInstallationsAbort) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Class cls = makeClass("WrongInstall");
  EXPECT_DEATH(class_addMethod(cls, sel("bump"), &bump, "@@:"), "type encoding \"@@:\"");
  EXPECT_DEATH(class_addMethod(cls, sel("bump"), reinterpret_cast<IMP>(&bump), "v@:{CGRect=dddd}"),
               "cannot read");
  class_addMethod(cls, sel("bump"), &bump, "v@:");
  id (*slot)(id, SEL) = nullptr;
  EXPECT_DEATH(MSHookMessageEx(cls, sel("bump"), &answerSelf, &slot), "replacing bump");
}

}  // namespace
