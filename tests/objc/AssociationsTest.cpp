#include "objc/Associations.h"
#include "objc/Runtime.h"
#include "objc/TrackedObjects.h"

#include <gtest/gtest.h>

using namespace objc;

namespace {

using Associations = TrackedObjects;

TEST_F(Associations, RetainedValuesLiveUntilReplacedOrClearedAndAssignDoesNotOwn)
{
    static const char key = 0, other = 0;
    StrongRef<Tracked> owner = make<Tracked>();
    WeakRef<Tracked> first;
    {
        StrongRef<Tracked> v = make<Tracked>();
        first = v.get();
        objc_setAssociatedObject(owner.get(), &key, v.get(), AssociationPolicy::RetainNonatomic);
    }
    ASSERT_TRUE(first.get()) << "the association keeps the value alive";
    EXPECT_FALSE(objc_getAssociatedObject(owner.get(), &other));
    StrongRef<Tracked> second = make<Tracked>();
    objc_setAssociatedObject(owner.get(), &key, second.get(), AssociationPolicy::RetainNonatomic);
    EXPECT_FALSE(first.get()) << "replacing a value releases the old one";
    EXPECT_EQ(second->retainCount(), 2u);
    objc_setAssociatedObject(owner.get(), &key, nullptr, AssociationPolicy::RetainNonatomic);
    EXPECT_FALSE(objc_getAssociatedObject(owner.get(), &key));
    EXPECT_EQ(second->retainCount(), 1u);
    objc_setAssociatedObject(owner.get(), &other, second.get(), AssociationPolicy::Assign);
    EXPECT_EQ(second->retainCount(), 1u);
}

// The value still held at the end must end with its owner: the fixture counts what is left alive.
TEST_F(Associations, CopyPoliciesAreRefusedNamingTheClassAndChangeNothing)
{
    static const char key = 0;
    StrongRef<Tracked> owner = make<Tracked>(), v = make<Tracked>();
    objc_setAssociatedObject(owner.get(), &key, v.get(), AssociationPolicy::RetainNonatomic);
    for (AssociationPolicy copy : {AssociationPolicy::Copy, AssociationPolicy::CopyNonatomic})
        EXPECT_NE(runtimeErrorOf([&] { objc_setAssociatedObject(owner.get(), &key, nullptr, copy); }).find("Tracked"), std::string::npos);
    EXPECT_EQ(objc_getAssociatedObject(owner.get(), &key).get(), v.get()) << "the old value is still there";
    EXPECT_EQ(v->retainCount(), 2u);
}

} // namespace
