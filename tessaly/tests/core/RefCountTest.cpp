#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "tessaly/core/RefCountedBase.h"
#include "tessaly/core/RefCountedPtr.h"
#include "tessaly/core/String.h"
#include "tessaly/core/Thread.h"

using namespace tessaly::core;

namespace {

std::atomic<int> destroyed{0};

class Tracked : public RefCountedBase {
public:
    ~Tracked() override { ++destroyed; }
};

class Fn : public Runnable {
public:
    explicit Fn(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }
    std::function<void()> f_;
};

} // namespace

TEST(RefCountTest, DeletesOnLastReleaseAndCopiesCount)
{
    destroyed = 0;
    auto* t = new Tracked;
    EXPECT_EQ(t->getRefCount(), 0);
    t->addRef();
    t->addRef();
    Tracked copy(*t);
    EXPECT_EQ(copy.getRefCount(), 2) << "copy construction copies the count";
    t->release();
    EXPECT_EQ(destroyed, 0);
    t->release();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountTest, PointerKeepsObjectAliveAcrossReassignment)
{
    destroyed = 0;
    {
        RefCountedPtr<Tracked> a(new Tracked);
        RefCountedPtr<Tracked> b = a;
        EXPECT_EQ(a->getRefCount(), 2);
        RefCountedPtr<Tracked>& alias = a;
        a = alias;  // self-assignment must not free the object
        b = a.get();
        EXPECT_EQ(a->getRefCount(), 2);
        a.reset();
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountTest, SharedStringsCopiedAndDroppedOnManyThreads)
{
    destroyed = 0;
    RefCountedPtr<Tracked> shared(new Tracked);
    const String text("shared text that lives in one buffer for all threads");
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            RefCountedPtr<Tracked> local = shared;
            String copy = text;
            String other(copy);
            ASSERT_EQ(other.length(), text.length());
        }
    };
    {
        Thread a(new Fn(work), true), b(new Fn(work), true);
    }
    EXPECT_EQ(shared->getRefCount(), 1);
    EXPECT_EQ(destroyed, 0);
    String probe = text;
    EXPECT_TRUE(probe == "shared text that lives in one buffer for all threads");
}
