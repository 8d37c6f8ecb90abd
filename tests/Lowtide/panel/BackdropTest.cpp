// The translucent backdrop: hidden from callers that list or reorder subviews, a clip view that
// only grows, and the tint, opacity and colour rules; nothing at all below system 7.0.
#include "Lowtide/panel/HazeTranslucentView.h"
#include "PanelFixture.h"

namespace {

using lowtide::HazeTranslucentView;
using Backdrop = PlayerFixture;

std::vector<UIView*> plain(const std::vector<Ref<UIView>>& views) {
  std::vector<UIView*> out;
  for (const auto& v : views) out.push_back(v.get());
  return out;
}

TEST_F(Backdrop, CallersSeeTheSubviewsWithoutIt) {
  auto haze = make<HazeTranslucentView>(CGRectMake(0, 0, 100, 50));
  EXPECT_TRUE(haze->subviews().empty());
  auto a = make<UIView>(), b = make<UIView>();
  haze->addSubview(a.get());
  haze->insertSubviewAtIndex(b.get(), 0);
  EXPECT_EQ(plain(haze->subviews()), (std::vector<UIView*>{b.get(), a.get()}));
  haze->sendSubviewToBack(a.get());
  EXPECT_EQ(plain(haze->subviews()), (std::vector<UIView*>{a.get(), b.get()}));
  haze->exchangeSubviewAtIndex(0, 1);
  EXPECT_EQ(plain(haze->subviews()), (std::vector<UIView*>{b.get(), a.get()}));
  EXPECT_EQ(haze->allSubviews().front(), haze->nonexistentSubview);
}

TEST_F(Backdrop, TheClipViewGrowsButNeverShrinks) {
  auto haze = make<HazeTranslucentView>(CGRectMake(0, 0, 100, 50));
  haze->setFrame(CGRectMake(10, 10, 200, 80));
  EXPECT_EQ(haze->toolbarContainerClipView->frame(), CGRectMake(0, 0, 200, 80));
  haze->setFrame(CGRectMake(10, 10, 60, 30));
  EXPECT_EQ(haze->toolbarContainerClipView->frame(), CGRectMake(0, 0, 200, 80));
  EXPECT_EQ(haze->nonexistentSubview->frame(), CGRectMake(0, 0, 60, 30));
  haze->setBounds(CGRectMake(0, 0, 300, 40));
  EXPECT_EQ(haze->toolbarContainerClipView->frame(), CGRectMake(0, 0, 300, 80));
}

TEST_F(Backdrop, TintOpacityAndColourRules) {
  auto haze = make<HazeTranslucentView>(CGRectMake(0, 0, 100, 50));
  const Ref<UIColor> redClear = UIColor::colorWithRed(1, 0, 0, 0);
  haze->setTranslucentTintColor(redClear.get());
  EXPECT_EQ(haze->toolBarBG->barTintColor(), redClear.get());
  haze->setTranslucentTintColor(UIColor::clearColor());
  EXPECT_EQ(haze->toolBarBG->barTintColor(), nullptr);  // the toolbar's default tint
  haze->setTranslucentAlpha(1.7);
  EXPECT_EQ(haze->translucentAlpha(), 1.0);
  haze->setTranslucentAlpha(-0.2);
  EXPECT_EQ(haze->translucentAlpha(), 0.0);

  haze->setBackgroundColor(UIColor::redColor());
  EXPECT_EQ(haze->overlayBackgroundView->backgroundColor(), UIColor::redColor());
  EXPECT_TRUE(HazeTranslucentView::isItClearColor(haze->backgroundColor()));
  haze->setTranslucent(false);
  EXPECT_TRUE(haze->toolBarBG->isHidden());
  EXPECT_EQ(haze->backgroundColor(), UIColor::redColor());
}

TEST_F(Backdrop, NothingIsBuiltOn6_1_3) {
  host::applyDeviceProfile(*host::findDeviceProfile("ios6"));
  auto haze = make<HazeTranslucentView>(CGRectMake(0, 0, 100, 50));
  EXPECT_FALSE(haze->initComplete || haze->nonexistentSubview || haze->toolBarBG);
  auto a = make<UIView>(), b = make<UIView>();
  haze->addSubview(a.get());
  haze->insertSubviewAtIndex(b.get(), 0);
  EXPECT_EQ(plain(haze->allSubviews()), (std::vector<UIView*>{b.get(), a.get()}));
  haze->setBackgroundColor(UIColor::redColor());
  EXPECT_EQ(haze->backgroundColor(), UIColor::redColor());
}

}  // namespace
