#include "uikit/UIImageView.h"

#include "ControlsTestSupport.h"

namespace {

using controls_test::TouchTest;
using UIImageViewTest = TouchTest;

Ref<UIImage> solidImage(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = 255;
    rgba[i + 3] = 255;
  }
  return make<UIImage>(width, height, std::move(rgba));
}

TEST_F(UIImageViewTest, DrawsItsImageScaledToFitCentredAndLetsTouchesThrough) {
  Ref<UIImage> wide = solidImage(40, 20);
  Ref<UIImageView> view = make<UIImageView>(wide.get());
  EXPECT_EQ(view->frame().size, CGSizeMake(40, 20));
  view->setFrame(CGRectMake(0, 0, 100, 100));
  EXPECT_EQ(view->imageRect(), CGRectMake(0, 25, 100, 50));
  window->addSubview(view);
  const CGImage shot = window->snapshot(1);
  auto red = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = &shot.rgba[(y * shot.width + x) * 4];
    return p[0] == 255 && p[1] == 0 && p[3] == 255;
  };
  EXPECT_TRUE(red(50, 50));
  EXPECT_TRUE(red(1, 26));
  EXPECT_FALSE(red(50, 10));
  Ref<UIImage> tall = solidImage(20, 40);
  view->setImage(tall.get());
  EXPECT_EQ(view->imageRect(), CGRectMake(25, 0, 50, 100));
  EXPECT_EQ(window->hitTest(CGPointMake(50, 50), nullptr), window.get());
}

}  // namespace
