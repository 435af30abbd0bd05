// Objects of our own made without the C++ run-time: what a failed allocation gives, and
// that an object's end runs its destructor.
#include <gtest/gtest.h>

#include "atl/AtlHeapObject.h"

namespace {

struct CCounted
{
    CCounted(int nValue, int* pnEnded) : m_nValue(nValue), m_pnEnded(pnEnded) {}
    ~CCounted() { ++*m_pnEnded; }
    int m_nValue;
    int* m_pnEnded;
};

// Larger than any heap can give, so the allocation fails the way it does when memory runs out.
struct CTooLarge
{
    char m_rgBytes[1ull << 62];
};

} // namespace

TEST(HeapObjectTest, MakesTheObjectWithItsArgumentsAndEndsItThroughItsDestructor)
{
    int nEnded = 0;
    CCounted* pObject = nullptr;
    ASSERT_EQ(S_OK, AtlHeapCreate(&pObject, 42, &nEnded));
    ASSERT_NE(nullptr, pObject);
    EXPECT_EQ(42, pObject->m_nValue);
    EXPECT_EQ(0, nEnded);
    AtlHeapDestroy(pObject);
    EXPECT_EQ(1, nEnded);
    AtlHeapDestroy(static_cast<CCounted*>(nullptr));
}

TEST(HeapObjectTest, AFailedAllocationIsOutOfMemoryWithNoObject)
{
    CTooLarge* pObject = reinterpret_cast<CTooLarge*>(1);
    EXPECT_EQ(E_OUTOFMEMORY, AtlHeapCreate(&pObject));
    EXPECT_EQ(nullptr, pObject);
    EXPECT_EQ(E_POINTER, AtlHeapCreate<CTooLarge>(nullptr));
}
