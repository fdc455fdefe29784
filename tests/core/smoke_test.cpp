#include <gtest/gtest.h>
#include <morvane/morvane.h>

TEST(Smoke, CreateAndDeleteCanvas) {
    MRV_CreateImage(nullptr, 4, 4, 8, 0);
    EXPECT_EQ(MRV_CreateLayer(1, 4, 4), 1);
    EXPECT_EQ(MRV_GetLayerCount(), 1);
    MRV_DeleteImage();
    EXPECT_EQ(MRV_GetLayerCount(), 0);
}
