#include "uikit/UITextField.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TouchSteps.h"
#include "UIKitFixture.h"

namespace {

// Both the field's delegate and the target of its editing events, logging each in turn.
struct FieldWatcher : NSObject {
  std::vector<std::string> log;
  bool shouldReturn = true;

  static FieldWatcher* of(id self) { return static_cast<FieldWatcher*>(self); }
  static void began(id self, SEL, id) { of(self)->log.push_back("editingDidBegin"); }
  static void changed(id self, SEL, id field) {
    of(self)->log.push_back("changed " + static_cast<UITextField*>(field)->text());
  }
  static void ended(id self, SEL, id) { of(self)->log.push_back("editingDidEnd"); }
  static void endedOnExit(id self, SEL, id) { of(self)->log.push_back("editingDidEndOnExit"); }
  static bool askedToReturn(id self, SEL, id) {
    of(self)->log.push_back("textFieldShouldReturn:");
    return of(self)->shouldReturn;
  }
  static void didEnd(id self, SEL, id) { of(self)->log.push_back("textFieldDidEndEditing:"); }
  static Class cls() {
    static Class c = [] {
      Class k = objc_registerClass("ListsTextFieldWatcher", objc_rootClass());
      class_addMethod(k, sel_registerName("began:"), &began, "v@:@");
      class_addMethod(k, sel_registerName("changed:"), &changed, "v@:@");
      class_addMethod(k, sel_registerName("ended:"), &ended, "v@:@");
      class_addMethod(k, sel_registerName("endedOnExit:"), &endedOnExit, "v@:@");
      class_addMethod(k, sel_registerName("textFieldShouldReturn:"), &askedToReturn, "B@:@");
      class_addMethod(k, sel_registerName("textFieldDidEndEditing:"), &didEnd, "v@:@");
      return k;
    }();
    return c;
  }
};

class FieldTyping : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    field = make<UITextField>(CGRectMake(20, 100, 280, 30));
    field->setBorderStyle(UITextBorderStyle::RoundedRect);
    window->addSubview(field);
    watcher = objc_make<FieldWatcher>(FieldWatcher::cls());
    field->setDelegate(watcher.get());
    field->addTarget(watcher.get(), sel_registerName("began:"), UIControlEventEditingDidBegin);
    field->addTarget(watcher.get(), sel_registerName("changed:"), UIControlEventEditingChanged);
    field->addTarget(watcher.get(), sel_registerName("ended:"), UIControlEventEditingDidEnd);
    field->addTarget(watcher.get(), sel_registerName("endedOnExit:"), UIControlEventEditingDidEndOnExit);
  }
  void TearDown() override {
    UIApplication::sharedApplication()->setFirstResponder(nullptr);
    UIKitFixture::TearDown();
  }

  Ref<UITextField> field;
  Ref<FieldWatcher> watcher;
};

TEST_F(FieldTyping, KeysReachTheFieldOnlyAfterATapAndBackspaceRemovesAWholeCharacter) {
  UIApplication* app = UIApplication::sharedApplication();
  EXPECT_FALSE(app->handleKeyText("x"));
  tapAt(CGPointMake(160, 115));
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_TRUE(app->handleKeyText("Bass"));
  EXPECT_TRUE(app->handleKeyText("é"));
  EXPECT_TRUE(app->handleKeyText("€"));
  EXPECT_EQ(field->text(), "Bassé€");
  EXPECT_TRUE(app->handleKeyBackspace());
  EXPECT_EQ(field->text(), "Bassé");
  app->handleKeyBackspace();
  EXPECT_EQ(field->text(), "Bass");
  app->handleKeyBackspace();
  EXPECT_EQ(field->text(), "Bas");
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"editingDidBegin", "changed Bass", "changed Bassé",
                                                    "changed Bassé€", "changed Bassé", "changed Bass",
                                                    "changed Bas"}));
  field->setText("");
  watcher->log.clear();
  app->handleKeyBackspace();  // nothing left to delete: no change to report
  EXPECT_TRUE(watcher->log.empty());
}

TEST_F(FieldTyping, ReturnAsksTheDelegateThenEndsOnExitAndGivesUpTheKeyboard) {
  UIApplication* app = UIApplication::sharedApplication();
  ASSERT_TRUE(field->becomeFirstResponder());
  watcher->shouldReturn = false;
  watcher->log.clear();
  app->handleKeyReturn();
  EXPECT_TRUE(field->isFirstResponder()) << "a delegate answering NO keeps the keyboard";
  EXPECT_EQ(watcher->log, std::vector<std::string>{"textFieldShouldReturn:"});

  watcher->shouldReturn = true;
  watcher->log.clear();
  app->handleKeyReturn();
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"textFieldShouldReturn:", "editingDidEndOnExit", "editingDidEnd",
                                                    "textFieldDidEndEditing:"}));
  EXPECT_FALSE(app->handleKeyText("x")) << "no one takes keys any more";
  EXPECT_EQ(field->text(), "");
}

}  // namespace

namespace {

// The arrows, Home and End move the insertion point a character (a whole UTF-8 sequence) or to
// either end, without an editing event; typing and Backspace then work there.
TEST_F(FieldTyping, TheCaretMovesByCharacterAndTypingAndBackspaceActWhereItStands) {
  UIApplication* app = UIApplication::sharedApplication();
  EXPECT_FALSE(app->handleKeyCaret(UITextCaretMove::Left));  // nothing is being edited
  field->setText("Bé€s");
  tapAt(CGPointMake(160, 115));
  EXPECT_EQ(field->caretOffset(), field->text().size());
  watcher->log.clear();
  EXPECT_TRUE(app->handleKeyCaret(UITextCaretMove::Left));
  app->handleKeyCaret(UITextCaretMove::Left);  // before "€", three bytes back
  EXPECT_EQ(field->caretOffset(), 3u);
  EXPECT_TRUE(watcher->log.empty());
  app->handleKeyText("x");
  EXPECT_EQ(field->text(), "Béx€s");
  app->handleKeyBackspace();
  app->handleKeyBackspace();  // "é" goes whole
  EXPECT_EQ(field->text(), "B€s");
  app->handleKeyCaret(UITextCaretMove::Home);
  app->handleKeyCaret(UITextCaretMove::Left);  // stays at the start
  app->handleKeyBackspace();                   // nothing before it
  app->handleKeyText("<");
  app->handleKeyCaret(UITextCaretMove::Right);
  app->handleKeyCaret(UITextCaretMove::Right);
  app->handleKeyText("|");
  app->handleKeyCaret(UITextCaretMove::End);
  app->handleKeyCaret(UITextCaretMove::Right);  // stays at the end
  app->handleKeyText(">");
  EXPECT_EQ(field->text(), "<B€|s>");
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"changed Béx€s", "changed Bé€s", "changed B€s", "changed <B€s",
                                                    "changed <B€|s", "changed <B€|s>"}));
}

}  // namespace
