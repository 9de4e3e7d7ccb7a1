#include "objc/Associations.h"
#include "objc/Runtime.h"
#include "objc/TrackedObjects.h"

#include <gtest/gtest.h>

using namespace objc;

namespace {

using Associations = TrackedObjects;

TEST_F(Associations, RetainedValuesAreReleasedWithTheirObject)
{
    static const char keyA = 0, keyB = 0;
    WeakRef<Tracked> value;
    {
        StrongRef<Tracked> owner = make<Tracked>();
        {
            StrongRef<Tracked> v = make<Tracked>();
            value = v.get();
            objc_setAssociatedObject(owner.get(), &keyA, v.get(), AssociationPolicy::RetainNonatomic);
        }
        ASSERT_TRUE(value.get()) << "the association keeps the value alive";
        EXPECT_EQ(objc_getAssociatedObject(owner.get(), &keyA).get(), value.get());
        EXPECT_FALSE(objc_getAssociatedObject(owner.get(), &keyB));
    }
    EXPECT_FALSE(value.get()) << "the value ends with its object";
}

TEST_F(Associations, ReplacingOrStoringNoneReleasesTheOldValueAndAssignDoesNotOwn)
{
    static const char key = 0, other = 0;
    StrongRef<Tracked> owner = make<Tracked>();
    WeakRef<Tracked> first;
    {
        StrongRef<Tracked> v = make<Tracked>();
        first = v.get();
        objc_setAssociatedObject(owner.get(), &key, v.get(), AssociationPolicy::RetainNonatomic);
    }
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

TEST_F(Associations, CopyPoliciesAreRefusedNamingTheClassAndChangeNothing)
{
    static const char key = 0;
    StrongRef<Tracked> owner = make<Tracked>(), v = make<Tracked>();
    objc_setAssociatedObject(owner.get(), &key, v.get(), AssociationPolicy::RetainNonatomic);
    for (AssociationPolicy copy : {AssociationPolicy::Copy, AssociationPolicy::CopyNonatomic}) {
        try {
            objc_setAssociatedObject(owner.get(), &key, nullptr, copy);
            ADD_FAILURE() << "a copy policy was accepted";
        } catch (const RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find("Tracked"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(objc_getAssociatedObject(owner.get(), &key).get(), v.get()) << "the old value is still there";
    EXPECT_EQ(v->retainCount(), 2u);
}

} // namespace
