// Publishing the graph in the Running Object Table and taking it out again, without a viewer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphEditProbe.h"
#include "RotEntries.h"

namespace {

void CloseAndExpectIdle(CGraphEdit& ge)
{
    ge.CloseGraphEdit();
    EXPECT_TRUE(CGraphEditProbe::IsIdle(ge));
}

class ViewerRotRegistration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, m_apartment.m_hr);
        m_spGraph = CreateFilterGraph();
        ASSERT_TRUE(m_spGraph != nullptr);
        ASSERT_TRUE(RotNamesOfThisProcess().empty());
    }
    void TearDown() override { m_spGraph.Release(); }

    CApartment m_apartment;
    CComPtr<IUnknown> m_spGraph;
};

TEST_F(ViewerRotRegistration, AddPublishesOneNamedEntryAndRemoveRevokesIt)
{
    DWORD dwCookie = 0;
    ASSERT_EQ(S_OK, CGraphEditProbe::AddToRot(m_spGraph, &dwCookie));
    EXPECT_NE(0u, dwCookie);
    const std::vector<std::wstring> rgNames = RotNamesOfThisProcess();
    ASSERT_EQ(1u, rgNames.size());
    EXPECT_EQ(ExpectedRotName(m_spGraph.p), rgNames[0]);
    EXPECT_EQ(34u, rgNames[0].size());   // "!" and the 33-character item name

    EXPECT_TRUE(CGraphEditProbe::RemoveFromRot(dwCookie));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
    // The table no longer knows the cookie.
    EXPECT_FALSE(CGraphEditProbe::RemoveFromRot(dwCookie));
    EXPECT_TRUE(CGraphEditProbe::RemoveFromRot(0));
}

TEST_F(ViewerRotRegistration, NullArgumentsAreRefused)
{
    DWORD dwCookie = 0x5a5a;
    EXPECT_EQ(E_INVALIDARG, CGraphEditProbe::AddToRot(nullptr, &dwCookie));
    EXPECT_EQ(0x5a5au, dwCookie);
    EXPECT_EQ(E_POINTER, CGraphEditProbe::AddToRot(m_spGraph, nullptr));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
}

TEST_F(ViewerRotRegistration, CloseClearsCookieEvenWhenRevokeFails)
{
    CGraphEdit ge;
    CloseAndExpectIdle(ge);

    DWORD dwCookie = 0;
    ASSERT_EQ(S_OK, CGraphEditProbe::AddToRot(m_spGraph, &dwCookie));
    // Revoked behind the bridge's back: its own revocation fails, and still it forgets.
    ASSERT_TRUE(CGraphEditProbe::RemoveFromRot(dwCookie));
    CGraphEditProbe::SetCookie(ge, dwCookie);
    CloseAndExpectIdle(ge);
}

TEST_F(ViewerRotRegistration, CloseAndDestructionRevokeTheEntry)
{
    {
        CGraphEdit ge;
        DWORD dwCookie = 0;
        ASSERT_EQ(S_OK, CGraphEditProbe::AddToRot(m_spGraph, &dwCookie));
        CGraphEditProbe::SetCookie(ge, dwCookie);
        ge.CloseGraphEdit();
        EXPECT_TRUE(RotNamesOfThisProcess().empty());
        EXPECT_EQ(0u, CGraphEditProbe::Cookie(ge));
    }
    {
        CGraphEdit ge;
        DWORD dwCookie = 0;
        ASSERT_EQ(S_OK, CGraphEditProbe::AddToRot(m_spGraph, &dwCookie));
        CGraphEditProbe::SetCookie(ge, dwCookie);
    }
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
}

} // namespace
