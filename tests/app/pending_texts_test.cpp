// Texts in flight to the window: only addresses handed out come back, and each only once.
#include <gtest/gtest.h>

#include "app/PendingTexts.h"

TEST(PendingTexts, GivesBackOnlyTextsItHandedOutAndEachOnce) {
    PendingTexts texts;
    WPARAM first = texts.Add("The file does not exist: C:\\a");
    WPARAM second = texts.Add("Failed to copy file a to b");
    EXPECT_NE(first, second);

    // A foreign sender's numbers, including ones near a real address, are not texts.
    for (WPARAM garbage : {WPARAM(0), WPARAM(1), WPARAM(-1), first + 1, first - sizeof(void*)})
        EXPECT_EQ(texts.Take(garbage), nullptr);

    std::unique_ptr<std::string> taken = texts.Take(second);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, "Failed to copy file a to b");
    EXPECT_EQ(texts.Take(second), nullptr); // a repeated message cannot free it twice

    taken = texts.Take(first);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, "The file does not exist: C:\\a");
}
