#include "objc/Message.h"
#include "objc/Runtime.h"

#include <gtest/gtest.h>

using namespace objc;

namespace {

// Counts live instances, to prove that nothing leaks.
struct Tracked : Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

struct Watcher : Object {
    static constexpr const char* kClassName = "Tracked";
    WeakRef<Object>* probe = nullptr;
    bool* seen = nullptr;
    ~Watcher() override { *seen = probe && !probe->get(); }
};

class ObjectTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::live = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::live, 0); }
    Runtime runtime;
    Runtime::Scope scope{runtime};
    Class tracked = runtime.registerClass("Tracked", objc_getClass("NSObject"), []() -> Object* { return new Tracked(); });
};

TEST_F(ObjectTest, StrongReferencesCountAndTheLastOneEndsTheObject)
{
    Ref<Tracked> a = make<Tracked>();
    EXPECT_EQ(a->isa, tracked);
    {
        Ref<Tracked> b = a;
        EXPECT_EQ(a->retainCount(), 2u);
    }
    EXPECT_EQ(a->retainCount(), 1u);
    a = nullptr;
    EXPECT_EQ(Tracked::live, 0);
}

TEST_F(ObjectTest, WeakReferencesZeroWhenTheObjectEnds)
{
    WeakRef<Tracked> weak;
    WeakRef<Tracked> copy;
    {
        Ref<Tracked> strong = make<Tracked>();
        weak = strong.get();
        copy = weak;
        EXPECT_EQ(weak.get(), strong.get());
        EXPECT_EQ(weak.lock()->retainCount(), 2u);
    }
    EXPECT_EQ(weak.get(), nullptr);
    EXPECT_TRUE(copy.expired());
    EXPECT_FALSE(copy.lock());
}

TEST_F(ObjectTest, WeakReferencesReadNullWhileTheObjectIsBeingTornDown)
{
    bool seen = false;
    WeakRef<Object> probe;
    {
        Ref<Watcher> w = make<Watcher>();
        probe = w.get();
        w->probe = &probe;
        w->seen = &seen;
    }
    EXPECT_TRUE(seen);
}

// A pin stands in for a strong reference: an object whose last reference goes while it is
// pinned stays whole, even when taken back and let go again, and ends at its last unpin.
TEST_F(ObjectTest, APinnedObjectReleasedToZeroEndsAtItsLastUnpin)
{
    Ref<Tracked> a = make<Tracked>();
    WeakRef<Tracked> weak = a;
    {
        Pinned outer(a.get());
        {
            Pinned inner(a.get());
            a = nullptr;
        }
        ASSERT_TRUE(weak.get()) << "one pin is still held";
        Ref<Tracked> again = weak.lock();
        again = nullptr;
        EXPECT_EQ(Tracked::live, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_FALSE(weak.get());

    Ref<Tracked> b = make<Tracked>();
    { Pinned held(b.get()); }
    EXPECT_EQ(Tracked::live, 1) << "unpinning an object that is still referenced ends nothing";
}

TEST_F(ObjectTest, AnObjectIsSolelyReferencedOnlyWithOneStrongReferenceAndNoWeakOrAssociation)
{
    static const char key = 0;
    Ref<Tracked> a = make<Tracked>(), b = make<Tracked>(), c = make<Tracked>();
    EXPECT_TRUE(a->isSolelyReferenced());
    {
        Ref<Tracked> second = a;
        EXPECT_FALSE(a->isSolelyReferenced());
    }
    EXPECT_TRUE(a->isSolelyReferenced());
    { WeakRef<Tracked> weak = b; }
    EXPECT_FALSE(b->isSolelyReferenced()) << "a weak reference, once made, may have been copied anywhere";
    objc_setAssociatedObject(c, &key, a, AssociationPolicy::Assign);
    EXPECT_FALSE(c->isSolelyReferenced());
}

TEST_F(ObjectTest, AssociatedObjectsAreRetainedAndReleasedWithTheirObject)
{
    static const char keyA = 0, keyB = 0;
    WeakRef<Tracked> value;
    {
        Ref<Tracked> owner = make<Tracked>();
        {
            Ref<Tracked> v = make<Tracked>();
            value = v.get();
            objc_setAssociatedObject(owner, &keyA, v, AssociationPolicy::RetainNonatomic);
        }
        ASSERT_TRUE(value.get()) << "the association keeps the value alive";
        EXPECT_EQ(objc_getAssociatedObject(owner, &keyA).get(), value.get());
        EXPECT_FALSE(objc_getAssociatedObject(owner, &keyB));
    }
    EXPECT_FALSE(value.get()) << "the value ends with its object";
}

TEST_F(ObjectTest, StoringNoneRemovesTheAssociationAndReleasesTheOldValue)
{
    static const char key = 0;
    Ref<Tracked> owner = make<Tracked>();
    WeakRef<Tracked> first;
    {
        Ref<Tracked> v = make<Tracked>();
        first = v.get();
        objc_setAssociatedObject(owner, &key, v, AssociationPolicy::RetainNonatomic);
    }
    Ref<Tracked> second = make<Tracked>();
    objc_setAssociatedObject(owner, &key, second, AssociationPolicy::RetainNonatomic);
    EXPECT_FALSE(first.get()) << "replacing a value releases the old one";
    EXPECT_EQ(second->retainCount(), 2u);
    objc_setAssociatedObject(owner, &key, nullptr, AssociationPolicy::RetainNonatomic);
    EXPECT_FALSE(objc_getAssociatedObject(owner, &key));
    EXPECT_EQ(second->retainCount(), 1u);
}

TEST_F(ObjectTest, AssignAssociationsDoNotOwn)
{
    static const char key = 0;
    Ref<Tracked> owner = make<Tracked>();
    Ref<Tracked> v = make<Tracked>();
    objc_setAssociatedObject(owner, &key, v, AssociationPolicy::Assign);
    EXPECT_EQ(v->retainCount(), 1u);
}

struct Unknown : Object {
    static constexpr const char* kClassName = "Unknown";
};

TEST_F(ObjectTest, MakeRequiresTheClassToBeRegistered)
{
    EXPECT_THROW(make<Unknown>(), RuntimeError);
}

} // namespace
