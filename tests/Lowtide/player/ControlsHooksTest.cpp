// The equalizer buttons in the player's controls, driven the way the player drives them.
#include <vector>

#include "PlayerFixture.h"
#include "substrate/substrate.h"
#include "uikit/UIWindow.h"

namespace {

using host::MPButton;
using host::MPPlaybackControlsView;
using host::PlayerSession;


// Counts loadSettings runs and their receivers, forwarding to the system's method.
void (*systemLoadSettings)(id, SEL) = nullptr;
std::vector<id> loadSettingsReceivers;
void countingLoadSettings(id self, SEL cmd) {
  loadSettingsReceivers.push_back(self);
  systemLoadSettings(self, cmd);
}

class ControlsHooksTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    static bool counting = [] {
      MSHookMessageEx(objc_getClass("MPPlaybackControlsView"), sel_registerName("loadSettings"),
                      &countingLoadSettings, &systemLoadSettings);
      return true;
    }();
    ASSERT_TRUE(counting && systemLoadSettings != nullptr);
    loadSettingsReceivers.clear();
  }
};

TEST_F(ControlsHooksTest, NewButtonForPartReachesThePlayerWithTheSameReceiverAndPart) {
  PlayerSession session;
  MPPlaybackControlsView* view = controlsOf(session);
  id made = msgSend<id, uint64_t>(view, sel_registerName("newButtonForPart:"), 2048);
  auto* button = dynamic_cast<MPButton*>(made);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->part(), 2048u);
  EXPECT_EQ(view->partsRequested(), (std::vector<uint64_t>{2048}));
  // The player wired it to this very view.
  button->tap();
  EXPECT_EQ(view->shuffleHandlerCalls(), 1);
  EXPECT_EQ(view->lastShuffleSender(), made);
}

TEST_F(ControlsHooksTest, SetUpAddsBothEqualizerButtonsAndKeepsThePlayersOwn) {
  installButtonImage();
  PlayerSession session;
  session.setUpControls();
  MPPlaybackControlsView* view = controlsOf(session);
  EXPECT_EQ(view->initializeCalls(), 1);
  EXPECT_EQ(view->reloadCalls(), 1);
  ASSERT_TRUE(lowtide::btn && lowtide::xbtn);
  EXPECT_NE(lowtide::btn.get(), lowtide::xbtn.get());
  for (UIButton* b : {lowtide::btn.get(), lowtide::xbtn.get()}) {
    EXPECT_EQ(b->tag(), 5);
    EXPECT_EQ(b->superview(), view);
    EXPECT_EQ(dynamic_cast<MPButton*>(b)->part(), 2048u);
  }
  ASSERT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal)->width(), 4u);
  EXPECT_EQ(lowtide::xbtn->titleForState(UIControlStateNormal), "Tunely");
  EXPECT_NE(view->shuffleButton(), nullptr);
  EXPECT_NE(view->playPauseButton(), nullptr);
}

TEST_F(ControlsHooksTest, ButtonFramesFollowTheViewAndTheScreen) {
  PlayerSession session;
  session.setUpControls();
  const double height = controlsOf(session)->bounds().size.height;
  EXPECT_EQ(lowtide::framex, CGRectMake(240, height - 35, 30, 30));
  EXPECT_EQ(lowtide::btn->frame(), lowtide::framex);
  EXPECT_EQ(lowtide::xbtn->frame(), CGRectMake(186, 533, 70, 40));

  lowtide::xbtn = nullptr;
  host::applyDeviceProfile(*host::findDeviceProfile("ios6"));
  PlayerSession small;
  small.setUpControls();
  EXPECT_EQ(lowtide::xbtn->frame(), CGRectMake(186, 445, 70, 40));
}

TEST_F(ControlsHooksTest, ShuffleTapReachesThePlayerAndEqualizerTapsDoNot) {
  installResources();
  PlayerSession session;
  session.setUpControls();
  MPPlaybackControlsView* view = controlsOf(session);
  auto tapWithTextButtonLit = [&](UIButton* button) {
    lowtide::xbtn->setHighlighted(true);
    lowtide::xbtn->setSelected(true);
    button->tap();
    EXPECT_FALSE(lowtide::xbtn->isHighlighted());
    EXPECT_FALSE(lowtide::xbtn->isSelected());
  };

  tapWithTextButtonLit(view->shuffleButton());
  EXPECT_EQ(view->shuffleHandlerCalls(), 1);
  EXPECT_EQ(view->lastShuffleSender(), view->shuffleButton());
  EXPECT_TRUE(view->shuffling());
  EXPECT_TRUE(log.empty());

  // Each equalizer button opens a new panel over the window, bound to the engine.
  tapWithTextButtonLit(lowtide::btn.get());
  Ref<lowtide::eqView> first = lowtide::view;
  ASSERT_TRUE(first);
  EXPECT_EQ(first->view()->superview(), session.window());
  tapWithTextButtonLit(lowtide::xbtn.get());
  EXPECT_NE(lowtide::view, first);
  EXPECT_EQ(lowtide::activePanel, lowtide::view);
  EXPECT_EQ(view->shuffleHandlerCalls(), 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(ControlsHooksTest, WithoutTextButtonTheEqualizerTagDecides) {
  installResources();
  PlayerSession session;
  msgSend<void>(session.controlsView(), sel_registerName("_initializeControls"));
  ASSERT_FALSE(lowtide::xbtn);
  MPPlaybackControlsView* view = controlsOf(session);

  lowtide::btn->tap();
  EXPECT_EQ(view->shuffleHandlerCalls(), 0);
  EXPECT_TRUE(lowtide::view);

  // A player button of tag 0 is the player's business.
  auto* plain = dynamic_cast<MPButton*>(msgSend<id, uint64_t>(view, sel_registerName("newButtonForPart:"), 2048));
  ASSERT_EQ(plain->tag(), 0);
  Ref<lowtide::eqView> opened = lowtide::view;
  plain->tap();
  EXPECT_EQ(view->shuffleHandlerCalls(), 1);
  EXPECT_EQ(lowtide::view, opened);
}

TEST_F(ControlsHooksTest, PanelWalkStopsAtTheTopWhenNoWindowHoldsTheControls) {
  PlayerSession session;
  session.setUpControls();
  MPPlaybackControlsView* view = controlsOf(session);
  auto holder = make<UIView>(CGRectMake(0, 0, 320, 568));
  holder->addSubview(view);  // inside a view that is in no window
  lowtide::btn->tap();
  EXPECT_FALSE(lowtide::view);  // no panel is made, none is shown
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(view->shuffleHandlerCalls(), 0);
}

TEST_F(ControlsHooksTest, SliderDragRemovesAndRestoresTheButtonImage) {
  installButtonImage(4, 3);
  PlayerSession session;
  session.setUpControls();
  MPPlaybackControlsView* view = controlsOf(session);
  host::MPDetailSlider* slider = view->slider();

  slider->beginTracking();
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  EXPECT_TRUE(view->scrubbing());  // the player's own handling ran too
  // The image is read from the file again at the end of a drag.
  installButtonImage(6, 5);
  slider->endTracking();
  ASSERT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal)->width(), 6u);
  EXPECT_FALSE(view->scrubbing());

  slider->beginTracking();
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  slider->cancelTracking();
  EXPECT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  EXPECT_FALSE(view->scrubbing());
}

TEST_F(ControlsHooksTest, MissingImageLeavesTheButtonWithoutOne) {
  writeDeviceFile(lowtide::kButtonImagePath, "not a png");
  PlayerSession session;
  session.setUpControls();
  ASSERT_TRUE(lowtide::btn);
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  controlsOf(session)->slider()->endTracking();
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  EXPECT_TRUE(log.empty());
}

TEST_F(ControlsHooksTest, TwoInitializationsLeaveBtnOnTheSecondAndLoadTheStateTwice) {
  writeDeviceFile("/var/mobile/Library/Application Support/Tunely/last.plist",
                  R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>bassgain</key><string>1.200000</string><key>bassfreq</key><string>60.000000</string>
<key>bassintens</key><string>2.000000</string><key>filtgain</key><string>6.000000</string>
<key>filtfreq</key><string>2222.000000</string><key>filtbw</key><string>5.000000</string>
<key>filttype</key><string>2</string></dict></plist>)");
  PlayerSession first, second;
  msgSend<void>(first.controlsView(), sel_registerName("_initializeControls"));
  UIButton* firstButton = lowtide::btn.get();
  msgSend<void>(second.controlsView(), sel_registerName("_initializeControls"));
  EXPECT_NE(lowtide::btn.get(), firstButton);
  EXPECT_EQ(lowtide::btn->superview(), second.controlsView());

  advance(2.0 - 1.0 / 1024);  // both steps exact in binary: the second lands on 2.0 s
  EXPECT_TRUE(loadSettingsReceivers.empty());
  EXPECT_FALSE(lowtide::enabled.load());
  advance(1.0 / 1024);
  EXPECT_EQ(loadSettingsReceivers, (std::vector<id>{first.controlsView(), second.controlsView()}));
  EXPECT_EQ(lowtide::freq.load(), 2222.0);
  EXPECT_EQ(lowtide::bassintens.load(), 2.0);
  EXPECT_TRUE(lowtide::enabled.load() && lowtide::bassenabled.load());
}

TEST_F(ControlsHooksTest, BelowVersion1140_1TheTextButtonIsMadeOnceForTheProcess) {
  kCFCoreFoundationVersionNumber = 1140.09;
  auto first = std::make_unique<PlayerSession>();
  first->setUpControls();
  Ref<UIButton> textButton = lowtide::xbtn;
  auto holder = make<UIWindow>(CGRectMake(0, 0, 320, 568));
  holder->addSubview(controlsOf(*first));  // moves: the player's own handling still runs
  EXPECT_EQ(controlsOf(*first)->superviewMoves(), 2);
  first.reset();
  holder = nullptr;  // the first controls view is released
  EXPECT_EQ(lowtide::xbtn, textButton);

  PlayerSession second;
  second.setUpControls();
  EXPECT_EQ(lowtide::xbtn, textButton);
  advance(2.0);
  EXPECT_EQ(loadSettingsReceivers.size(), 3u);  // two _initializeControls, one reloadControls
  lowtide::xbtn->tap();  // its view is gone: the tap reaches no one
}

TEST_F(ControlsHooksTest, FromVersion1140_1MovesAndReleasesForgetTheTextButton) {
  kCFCoreFoundationVersionNumber = 1140.1;
  auto session = std::make_unique<PlayerSession>();
  session->setUpControls();
  ASSERT_TRUE(lowtide::xbtn);
  Ref<UIButton> firstText = lowtide::xbtn;
  auto other = make<UIWindow>(CGRectMake(0, 0, 320, 568));
  other->addSubview(controlsOf(*session));
  EXPECT_FALSE(lowtide::xbtn);
  EXPECT_EQ(firstText->superview(), session->controlsView());  // forgotten, not removed
  EXPECT_EQ(controlsOf(*session)->superviewMoves(), 2);

  msgSend<void>(session->controlsView(), sel_registerName("reloadControls"));
  ASSERT_TRUE(lowtide::xbtn);
  EXPECT_NE(lowtide::xbtn, firstText);
  advance(2.0);
  EXPECT_EQ(loadSettingsReceivers.size(), 3u);

  session.reset();
  other = nullptr;  // the controls view is released
  EXPECT_FALSE(lowtide::xbtn);
}

}  // namespace
