// The mip levels under a base image: sizes down to 1 x 1 and box-filtered
// texels, odd sizes included.
#include "assets/MipChain.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using pizzeria::assets::buildMipChain;

TEST(MipChain, HalvesDownToOneTexelAndAveragesWhatEachTexelCovers) {
    // 4 x 4, one channel: each 2 x 2 block a value of its own.
    const std::vector<std::uint8_t> base = {0,  0,  40,  40,  0,  0,  40,  40,
                                            80, 80, 200, 200, 80, 80, 200, 200};
    const auto levels = buildMipChain(base.data(), 4, 4, 1);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].width, 2);
    EXPECT_EQ(levels[0].height, 2);
    EXPECT_EQ(levels[0].texels, (std::vector<std::uint8_t>{0, 40, 80, 200}));
    EXPECT_EQ(levels[1].texels, (std::vector<std::uint8_t>{80}));

    // Sizes halve (rounded down, at least 1) until both are 1.
    const std::vector<std::uint8_t> wide(std::size_t(37) * 3, 0);
    std::vector<std::pair<int, int>> sizes;
    for (const auto& level : buildMipChain(wide.data(), 37, 3, 1)) {
        sizes.emplace_back(level.width, level.height);
    }
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{18, 1}, {9, 1}, {4, 1}, {2, 1}, {1, 1}}));
}

TEST(MipChain, AnOddSizeSharesItsMiddleTexelAndKeepsChannelsApart) {
    // 5 x 1 to 2 x 1: each texel covers two and a half of the row.
    const std::vector<std::uint8_t> row = {0, 10, 0, 20, 100, 30, 0, 40, 0, 50};
    const auto levels = buildMipChain(row.data(), 5, 1, 2);
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels[0].width, 2);
    // First channel: (0 + 0 + 100 / 2) / 2.5 on both sides of the middle.
    // Second: (10 + 20 + 30 / 2) / 2.5 = 18 and (30 / 2 + 40 + 50) / 2.5 = 42.
    EXPECT_EQ(levels[0].texels, (std::vector<std::uint8_t>{20, 18, 20, 42}));
}
