#include "core/check/error_box_queue.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(ErrorBoxQueue, OneBoxAtATimeInOrderWithoutRepeats) {
  ErrorBoxQueue queue;
  ErrorBox wrong{"wrong password", "box1"};
  ErrorBox timeout{"timed out", "box2"};
  EXPECT_TRUE(queue.Push(wrong));     // post
  EXPECT_FALSE(queue.Push(wrong));    // already waiting
  EXPECT_FALSE(queue.Push(timeout));  // the message is posted already
  ASSERT_EQ(queue.Begin(), wrong);
  EXPECT_FALSE(queue.Begin());      // a second posted message while the box shows
  EXPECT_FALSE(queue.Push(wrong));  // the same failure again while its box is open
  EXPECT_TRUE(queue.End());         // the next one waits: post again
  ASSERT_EQ(queue.Begin(), timeout);
  EXPECT_FALSE(queue.End());
  EXPECT_FALSE(queue.Begin());
  EXPECT_TRUE(queue.Push(wrong));  // once closed, the same failure shows again
}

}  // namespace
}  // namespace postwink
