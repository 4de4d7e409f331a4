#include "drvlib/drv_node.h"

#include <gtest/gtest.h>

#include <utility>

#include "drvlib/srv_node.h"
#include "drvlib/tsk_node.h"

namespace {

using Prop = CZARVPtr<CZARVMetaProp>;
using Drv = CZARVDrvNode;

Prop NewProp(unsigned short id) {
    _zarvVAR init;
    init = 1.5;
    return Prop::Adopt(
        new CZARVMetaProp(id, "p", init, METAINPUTTYPE(0), nullptr, nullptr, METAVALIDTYPE(0)));
}

class DrvNodeTest : public ::testing::Test {
protected:
    void Fill(Drv::CFGTYPE cat, std::initializer_list<unsigned short> ids) {
        for (unsigned short id : ids) ASSERT_TRUE(node->InsertMetaProp(NewProp(id).get(), cat));
    }
    CZARVPtr<Drv> node = CZARVPtr<Drv>::Adopt(new Drv);
};

TEST_F(DrvNodeTest, EachCategoryTakesOnlyItsMetaNumberRange) {
    const struct {
        unsigned short id;
        Drv::CFGTYPE cat;
        bool ok;
    } cases[] = {
        {899, Drv::CFG_AI, false},       {929, Drv::CFG_MSG, true},  {930, Drv::CFG_AI, false},
        {960, Drv::CFG_PROTOCOL, false}, {989, Drv::CFG_IED, true},  {990, Drv::CFG_IED, false},
        {900, Drv::CFG_BIT0, false},     {900, Drv::CFG_ALL, false},
    };
    for (const auto& c : cases) {
        Prop prop = NewProp(c.id);
        EXPECT_EQ(node->InsertMetaProp(prop.get(), c.cat), c.ok) << c.id << " in " << c.cat;
        EXPECT_EQ(prop->GetRefCount(), c.ok ? 2 : 1);  // a refused insert leaves the count alone
    }
}

TEST_F(DrvNodeTest, SamePropertyInTwoCategoriesHasTwoReferences) {
    Prop prop = NewProp(905), other = NewProp(905);
    EXPECT_TRUE(node->InsertMetaProp(prop.get(), Drv::CFG_AI));
    EXPECT_TRUE(node->InsertMetaProp(prop.get(), Drv::CFG_DI));
    EXPECT_FALSE(node->InsertMetaProp(other.get(), Drv::CFG_AI));
    EXPECT_EQ(prop->GetRefCount(), 3);
    EXPECT_EQ(node->GetMetaProp(905, Drv::CFG_AI), prop.get());
    EXPECT_TRUE(node->DeleteMetaProp(905, Drv::CFG_AI));
    EXPECT_FALSE(node->DeleteMetaProp(905, Drv::CFG_AI));
    EXPECT_EQ(prop->GetRefCount(), 2);
    node->Clear(Drv::CFG_BIT15);  // not a category: nothing
    EXPECT_EQ(prop->GetRefCount(), 2);
    node->Clear(Drv::CFG_ALL);
    EXPECT_EQ(prop->GetRefCount(), 1);
}

TEST_F(DrvNodeTest, FreeMetaNumberIsTheFirstGapOfTheRangeAndQueriesAppendAscending) {
    EXPECT_EQ(node->GetFreeMetaNo(Drv::CFG_IED), 960);
    EXPECT_EQ(node->GetFreeMetaNo(Drv::CFG_ALL), 65535);
    EXPECT_EQ(CZARVTskNode().GetFreeMetaNo(CZARVTskNode::CFG_TASKPAR), 930);
    for (unsigned short id = 900; id <= 929; ++id) Fill(Drv::CFG_AI, {id});
    EXPECT_EQ(node->GetFreeMetaNo(Drv::CFG_AI), -1);
    EXPECT_EQ(node->GetFreeMetaNo(Drv::CFG_DI), 900);
    node->DeleteMetaProp(915, Drv::CFG_AI);
    EXPECT_EQ(node->GetFreeMetaNo(Drv::CFG_AI), 915);
    Fill(Drv::CFG_COUNT, {903, 901});  // a query appends in ascending order
    CZARVDataSet<CZARVMetaProp> out;
    EXPECT_EQ(node->QueryIOSet(Drv::CFG_BIT0, out), -1);
    EXPECT_EQ(node->QueryIOSet(Drv::CFG_DI, out), 0);
    EXPECT_EQ(node->QueryIOSet(Drv::CFG_COUNT, out), 2);
    EXPECT_EQ(node->QueryIOSet(Drv::CFG_COUNT, out), 4);  // the set is not emptied first
    EXPECT_EQ(out[0]->GetID(), 901);
    EXPECT_EQ(out[2]->GetID(), 901);
    EXPECT_EQ(out[0]->GetRefCount(), 3);  // the node's and the set's two
}

// The io bit each selector tests; -1: none. The bit order is not the
// selector order, and selectors 10 and 11 have no bit.
constexpr int kIoBit[] = {0, 3, 1, 5, 4, 2, 6, 12, 13, 14, -1, -1, 15};

// Contains() of every kind of node against every single-bit io mask: true
// exactly for the selector's own bit, and for "all" on any bit but bit 0.
template <class Node>
void ExpectContainsReadsOneBit(int all, int last_bit_selector) {
    Node node;
    for (int sel : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 1000}) {
        for (int bit = 0; bit < 16; ++bit) {
            node.io = static_cast<unsigned short>(1u << bit);
            bool want =
                sel == all ? bit != 0 : sel >= 0 && sel <= last_bit_selector && kIoBit[sel] == bit;
            EXPECT_EQ(node.Contains(static_cast<typename Node::CFGTYPE>(sel)), want)
                << "selector " << sel << ", io bit " << bit;
        }
    }
}

TEST(CfgNodeContainsTest, EachSelectorReadsItsOwnIoBitAndAllAnyButBitZero) {
    ExpectContainsReadsOneBit<Drv>(Drv::CFG_ALL, Drv::CFG_BIT15);
    ExpectContainsReadsOneBit<CZARVTskNode>(CZARVTskNode::CFG_ALL, CZARVTskNode::CFG_BIT15);
    ExpectContainsReadsOneBit<CZARVSrvNode>(CZARVSrvNode::CFG_ALL, CZARVSrvNode::CFG_MSG);
}

TEST(SrvNodeTest, ParametersLiveIn930To959AndGoWithTheService) {
    auto srv = CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode);
    EXPECT_EQ(srv->GetFreeParNo(), 930);
    Prop in = NewProp(930), out = NewProp(905);
    EXPECT_TRUE(srv->InsertPar(in.get()));
    EXPECT_FALSE(srv->InsertPar(out.get()));
    EXPECT_EQ(out->GetRefCount(), 1);
    EXPECT_EQ(srv->GetFreeParNo(), 931);
    srv.reset();
    EXPECT_EQ(in->GetRefCount(), 1);
}

}  // namespace
