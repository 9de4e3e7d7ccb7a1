#include "objc/Message.h"
#include "objc/Runtime.h"
#include "objc/TrackedObjects.h"

#include <gtest/gtest.h>

using namespace objc;

namespace {

struct Watcher : Object {
    static constexpr const char* kClassName = "Tracked";
    WeakRef<Object>* probe = nullptr;
    bool* seen = nullptr;
    ~Watcher() override { *seen = probe && !probe->get(); }
};

// Ownership changes only where they are written out. Each rule rules out one way of holding an
// object that nobody owns, or of owning one twice.
// `Tracked* t = makeOne();` would borrow from a temporary StrongRef that ends at the semicolon.
static_assert(!std::is_convertible_v<StrongRef<Tracked>, Tracked*>);
// `id x = send<StrongId>(...);` would leave x pointing at an object whose only owner has ended ...
static_assert(!std::is_convertible_v<StrongId, id>);
// ... and so would `id x(send<StrongId>(...));`, spelt with parentheses.
static_assert(!std::is_constructible_v<id, StrongId>);
// A pointer that already carries its first reference, stored into a StrongRef unseen, would be retained twice and leak.
static_assert(!std::is_convertible_v<Tracked*, StrongRef<Tracked>> && std::is_constructible_v<StrongRef<Tracked>, Tracked*>);
// `Tracked* t = cast<Tracked>(send<StrongId>(...));` would borrow from the temporary, so casting one keeps it.
static_assert(std::is_same_v<decltype(cast<Tracked>(std::declval<StrongId>())), StrongRef<Tracked>>);
// A reference to a subclass is a reference to its superclass, never the other way round.
static_assert(std::is_convertible_v<StrongRef<Tracked>, StrongId> && !std::is_convertible_v<StrongId, StrongRef<Tracked>>);
static_assert(std::is_convertible_v<WeakRef<Tracked>, WeakRef<Object>> && !std::is_convertible_v<WeakRef<Object>, WeakRef<Tracked>>);
static_assert(std::is_convertible_v<StrongRef<Tracked>, WeakRef<Object>> && std::is_nothrow_move_constructible_v<WeakRef<Tracked>>);

using ObjectLifetime = TrackedObjects;

TEST_F(ObjectLifetime, StrongReferencesAreRetainedOrAdoptedExplicitlyAndCompareByObject)
{
    StrongRef<Tracked> a = make<Tracked>();
    Tracked* raw = a.get();
    StrongRef<Tracked> b(raw);
    auto c = retained(raw);
    static_assert(std::is_same_v<decltype(c), StrongRef<Tracked>>);
    EXPECT_EQ(a->retainCount(), 3u);
    StrongId general = a;
    EXPECT_TRUE(a == b && b == c && general == a);
    EXPECT_TRUE(a == raw && raw == a);
    EXPECT_TRUE(a != nullptr && StrongRef<Tracked>() == nullptr && nullptr == StrongId());
    EXPECT_FALSE(a == make<Tracked>());

    // A temporary cast hands its reference over instead of borrowing from it; a failed cast
    // releases the temporary's object (the fixture counts what is left alive).
    StrongRef<Tracked> kept = cast<Tracked>(StrongId(make<Tracked>()));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->retainCount(), 1u);
    EXPECT_FALSE(cast<Watcher>(StrongId(make<Tracked>())));
}

TEST_F(ObjectLifetime, WeakReferencesCopyMoveAndConvertToASuperclassAndAllZeroWhenTheObjectEnds)
{
    StrongRef<Tracked> strong = make<Tracked>();
    WeakRef<Tracked> weak = strong;
    WeakRef<Tracked> copy;
    copy = weak;
    EXPECT_EQ(copy.lock()->retainCount(), 2u);
    WeakRef<Tracked> moved = std::move(weak);
    EXPECT_FALSE(weak.get());
    EXPECT_FALSE(weak.expired()) << "a moved-from reference refers to nothing at all";
    WeakRef<Object> copied = moved;
    WeakRef<Object> fromStrong = strong;
    WeakRef<Object> movedUp = WeakRef<Tracked>(strong);
    WeakRef<Tracked> assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved.get());
    for (Object* seen : {copied.get(), fromStrong.get(), movedUp.get(), static_cast<Object*>(assigned.get())}) EXPECT_EQ(seen, strong.get());

    strong = nullptr;
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_TRUE(copied.expired() && fromStrong.expired() && movedUp.expired() && assigned.expired() && copy.expired());
    EXPECT_FALSE(copy.lock());
}

TEST_F(ObjectLifetime, WeakReferencesReadNullWhileTheObjectIsBeingTornDown)
{
    bool seen = false;
    WeakRef<Object> probe;
    {
        StrongRef<Watcher> w = make<Watcher>();
        probe = w.get();
        w->probe = &probe;
        w->seen = &seen;
    }
    EXPECT_TRUE(seen);
}

// A pin stands in for a strong reference: an object whose last reference goes while it is
// pinned stays whole, even when taken back and let go again, and ends at its last unpin.
TEST_F(ObjectLifetime, APinnedObjectReleasedToZeroEndsAtItsLastUnpin)
{
    StrongRef<Tracked> a = make<Tracked>();
    WeakRef<Tracked> weak = a;
    {
        Pinned outer(a.get());
        {
            Pinned inner(a.get());
            a = nullptr;
        }
        ASSERT_TRUE(weak.get()) << "one pin is still held";
        StrongRef<Tracked> again = weak.lock();
        again = nullptr;
        EXPECT_EQ(Tracked::live, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_FALSE(weak.get());

    StrongRef<Tracked> b = make<Tracked>();
    { Pinned held(b.get()); }
    EXPECT_EQ(Tracked::live, 1) << "unpinning an object that is still referenced ends nothing";
}

TEST_F(ObjectLifetime, AnObjectIsSolelyReferencedOnlyWithOneStrongReferenceAndNoWeakOrAssociation)
{
    static const char key = 0;
    StrongRef<Tracked> a = make<Tracked>(), b = make<Tracked>(), c = make<Tracked>();
    EXPECT_TRUE(a->isSolelyReferenced());
    {
        StrongRef<Tracked> second = a;
        EXPECT_FALSE(a->isSolelyReferenced());
    }
    EXPECT_TRUE(a->isSolelyReferenced());
    { WeakRef<Tracked> weak = b; }
    EXPECT_FALSE(b->isSolelyReferenced()) << "a weak reference, once made, may have been copied anywhere";
    objc_setAssociatedObject(c.get(), &key, a.get(), AssociationPolicy::Assign);
    EXPECT_FALSE(c->isSolelyReferenced());
}

} // namespace
