#include "win32/image_strip.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "win32/resource.h"

namespace postwink::win {
namespace {

TEST(ImageStrip, EveryScaleGetsPicturesOfItsSize) {
  const StripResources list{IDB_LIST_IMAGES, IDB_LIST_IMAGES_20, IDB_LIST_IMAGES_24,
                            IDB_LIST_IMAGES_32};
  const StripResources menu{IDB_MENU_IMAGES, IDB_MENU_IMAGES_20, IDB_MENU_IMAGES_24,
                            IDB_MENU_IMAGES_32};
  // 175 % has no strip of its own: the 32-pixel one shrunk to 28.
  const std::pair<int, int> cases[] = {{96, 16}, {120, 20}, {144, 24}, {168, 28}, {192, 32}};
  for (auto [strips, count] : {std::pair{list, 8}, std::pair{menu, 7}}) {
    for (auto [dpi, size] : cases) {
      SCOPED_TRACE(dpi);
      HIMAGELIST images = LoadImageStrip(strips, dpi);
      ASSERT_NE(images, nullptr);
      int cx = 0;
      int cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      EXPECT_EQ(cx, size);
      EXPECT_EQ(cy, size);
      EXPECT_EQ(ImageList_GetImageCount(images), count);
      ImageList_Destroy(images);
    }
  }
}

}  // namespace
}  // namespace postwink::win
