// Owning handle wrappers close exactly once, whatever moves they go through.
#include <gtest/gtest.h>

#include "framework/Handles.h"

namespace {
int g_closed = 0;

struct CountingTraits {
    using Handle = int;
    static Handle Invalid() { return 0; }
    static void Close(Handle) { ++g_closed; }
};
using CountedHandle = UniqueHandle<CountingTraits>;
} // namespace

TEST(UniqueHandle, ClosesOnceThroughMovesResetsAndRelease) {
    g_closed = 0;
    {
        CountedHandle a(7);
        CountedHandle b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        CountedHandle c(9);
        c = std::move(b); // closes 9
        EXPECT_EQ(g_closed, 1);
        c = std::move(c); // self-move keeps it
        EXPECT_EQ(c.get(), 7);
        c.reset(3); // closes 7
        EXPECT_EQ(g_closed, 2);
        EXPECT_EQ(c.release(), 3);
    }
    EXPECT_EQ(g_closed, 2);
}

TEST(UniqueHandle, FileHandlesTreatInvalidHandleValueAsEmpty) {
    UniqueFileHandle missing(CreateFileA("C:\\no\\such\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                         nullptr));
    EXPECT_FALSE(missing);
    UniqueKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(event);
}
