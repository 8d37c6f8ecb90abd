// The UIKit and AVFoundation stand-ins the player and the hooks rely on.
#include "PlayerFixture.h"
#include "avfoundation/AVAsset.h"
#include "uikit/UIWindow.h"

namespace {

using PlatformStandInsTest = PlayerFixture;

TEST_F(PlatformStandInsTest, PngImagesRoundTripAndBadFilesGiveNil) {
  std::vector<uint8_t> rgba(2 * 3 * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = uint8_t(i * 9);
  auto original = make<UIImage>(2, 3, rgba);
  const std::vector<uint8_t> png = UIImagePNGRepresentation(original.get());
  writeDeviceFile("/pictures/a.png", std::string(png.begin(), png.end()));

  Ref<UIImage> read = UIImage::imageWithContentsOfFile("/pictures/a.png");  // a device path
  ASSERT_TRUE(read);
  EXPECT_EQ(read->size(), (CGSize{2, 3}));
  EXPECT_EQ(read->rgba(), rgba);

  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/pictures/missing.png"));
  writeDeviceFile("/pictures/cut.png", std::string(png.begin(), png.begin() + long(png.size() / 2)));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/pictures/cut.png"));
  EXPECT_TRUE(UIImagePNGRepresentation(nullptr).empty());
}

TEST_F(PlatformStandInsTest, ViewsMoveBetweenSuperviewsAndFindTheirWindow) {
  auto window = make<UIWindow>(CGRectMake(0, 0, 320, 568));
  auto outer = make<UIView>(CGRectMake(0, 100, 320, 200));
  auto inner = host::MPPlaybackControlsView::make(CGRectMake(10, 10, 100, 50));
  window->addSubview(outer.get());
  outer->addSubview(inner.get());
  EXPECT_EQ(inner->window(), window.get());
  EXPECT_EQ(inner->superviewMoves(), 1);
  EXPECT_EQ(inner->bounds(), CGRectMake(0, 0, 100, 50));

  auto first = make<UIView>();
  window->insertSubviewAtIndex(first.get(), 0);
  window->addSubview(inner.get());  // moves out of `outer`
  ASSERT_EQ(window->subviews().size(), 3u);
  EXPECT_EQ(window->subviews()[0].get(), first.get());
  EXPECT_EQ(window->subviews()[2].get(), inner.get());
  EXPECT_TRUE(outer->subviews().empty());
  EXPECT_EQ(inner->superviewMoves(), 2);

  inner->removeFromSuperview();
  EXPECT_EQ(inner->superview(), nullptr);
  EXPECT_EQ(inner->window(), nullptr);
  EXPECT_EQ(inner->superviewMoves(), 3);

  // A subview kept elsewhere outlives its superview without pointing at it.
  outer->addSubview(inner.get());
  outer = nullptr;
  window = nullptr;
  EXPECT_EQ(inner->superview(), nullptr);
}

TEST_F(PlatformStandInsTest, AssetTracksComeFromTheFile) {
  const std::string path = writeWav("mono.wav", music(1234, 1), 1, 22050);
  auto asset = AVURLAsset::URLAssetWithURL(path);
  ASSERT_EQ(asset->tracks().size(), 1u);
  const AVAssetTrack& track = *asset->tracks()[0];
  EXPECT_EQ(track.mediaType(), AVMediaTypeAudio);
  EXPECT_EQ(track.sampleRate(), 22050.0);
  EXPECT_EQ(track.channelCount(), 1u);
  EXPECT_EQ(track.frameCount(), 1234);
  EXPECT_EQ(asset->tracksWithMediaType(AVMediaTypeVideo).size(), 0u);
  EXPECT_TRUE(asset->loadError().empty());

  auto missing = AVURLAsset::URLAssetWithURL(root_ + "/nothing.wav");
  EXPECT_TRUE(missing->tracks().empty());
  EXPECT_FALSE(missing->loadError().empty());
}

}  // namespace
