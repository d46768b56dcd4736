// The store of released pictures' memory: only the same size is handed out again, at most a few
// are kept, and everything kept is freed with the store.
#include <gtest/gtest.h>

#include <vector>

#include "media/recycled_pictures.h"

namespace vl {
namespace {

std::vector<int> released;
void Release(const int& memory) {
  released.push_back(memory);
}
using Store = RecycledPictures<int, Release>;

TEST(RecycledPicturesTest, HandsOutOnlyTheSameSizeAndKeepsAFew) {
  released.clear();
  {
    Store store;
    int memory = 0;
    EXPECT_FALSE(store.Take(1280, 720, &memory));
    for (int i = 1; i <= 6; ++i) store.Give(1280, 720, i);  // two more than are kept
    EXPECT_EQ(released, (std::vector<int>{5, 6}));
    EXPECT_FALSE(store.Take(720, 1280, &memory));
    ASSERT_TRUE(store.Take(1280, 720, &memory));
    EXPECT_EQ(memory, 1);
    store.Give(720, 1280, 7);
    ASSERT_TRUE(store.Take(720, 1280, &memory));
    EXPECT_EQ(memory, 7);
  }
  EXPECT_EQ(released, (std::vector<int>{5, 6, 2, 3, 4}));  // the kept ones go with the store
}

}  // namespace
}  // namespace vl
