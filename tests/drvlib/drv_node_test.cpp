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
        {899, Drv::CFG_AI, false},       {929, Drv::CFG_MSG, true},      {930, Drv::CFG_AI, false},
        {960, Drv::CFG_PROTOCOL, false}, {989, Drv::CFG_IED, true},      {990, Drv::CFG_IED, false},
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

TEST_F(DrvNodeTest, FreeMetaNumberIsTheFirstGapOfTheRangeAndQueriesAscend) {
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
    EXPECT_EQ(node->QueryIOSet(Drv::CFG_COUNT, out), 2);
    EXPECT_EQ(out[0]->GetID(), 901);
}

TEST(CfgNodeContainsTest, ReadsTheIoMaskInItsOwnBitOrder) {
    Drv drv;
    const std::pair<Drv::CFGTYPE, int> bits[] = {
        {Drv::CFG_AI, 3}, {Drv::CFG_DI, 1}, {Drv::CFG_COUNT, 5}, {Drv::CFG_SG, 12}, {Drv::CFG_MSG, 14}};
    for (auto [cat, bit] : bits) {
        drv.io = static_cast<unsigned short>(1u << bit);
        EXPECT_TRUE(drv.Contains(cat)) << cat;
        drv.io = static_cast<unsigned short>(~(1u << bit));
        EXPECT_FALSE(drv.Contains(cat)) << cat;
    }
    drv.io = 1;  // bit 0 is no category
    EXPECT_FALSE(drv.Contains(Drv::CFG_ALL));
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
