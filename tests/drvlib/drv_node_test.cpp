#include <gtest/gtest.h>

#include "drvlib/drv_node.h"
#include "drvlib/srv_node.h"
#include "drvlib/tsk_node.h"

namespace {

CZARVMetaProp* NewProp(unsigned short id) {
    _zarvVAR init;
    init = 1.5;
    return new CZARVMetaProp(id, "p", init, CZARVMetaProp::METAINPUTTYPE(0), nullptr, nullptr,
                             CZARVMetaProp::METAVALIDTYPE(0));
}

class DrvNodeTest : public ::testing::Test {
protected:
    ~DrvNodeTest() override { node->Release(); }
    CZARVDrvNode* node = new CZARVDrvNode;
};

TEST_F(DrvNodeTest, CategoryRangesAtTheirEnds) {
    struct Case {
        unsigned short id;
        CZARVDrvNode::CFGTYPE cat;
        bool ok;
    } cases[] = {
        {899, CZARVDrvNode::CFG_AI, false},      {900, CZARVDrvNode::CFG_AI, true},
        {929, CZARVDrvNode::CFG_MSG, true},      {930, CZARVDrvNode::CFG_AI, false},
        {930, CZARVDrvNode::CFG_PROTOCOL, true}, {959, CZARVDrvNode::CFG_PROTOCOL, true},
        {960, CZARVDrvNode::CFG_PROTOCOL, false}, {960, CZARVDrvNode::CFG_IED, true},
        {989, CZARVDrvNode::CFG_IED, true},      {990, CZARVDrvNode::CFG_IED, false},
        {900, CZARVDrvNode::CFG_BIT0, false},    {900, CZARVDrvNode::CFG_BIT15, false},
        {900, CZARVDrvNode::CFG_ALL, false},     {900, CZARVDrvNode::CFGTYPE(-1), false},
    };
    for (const Case& c : cases) {
        CZARVMetaProp* prop = NewProp(c.id);
        EXPECT_EQ(node->InsertMetaProp(prop, c.cat), c.ok) << c.id << " in " << c.cat;
        // A refused insert leaves the caller's count as it was.
        EXPECT_EQ(prop->GetRefCount(), c.ok ? 2 : 1);
        prop->Release();
    }
}

TEST_F(DrvNodeTest, SamePropertyInTwoCategoriesHasTwoReferences) {
    CZARVMetaProp* prop = NewProp(905);
    EXPECT_TRUE(node->InsertMetaProp(prop, CZARVDrvNode::CFG_AI));
    EXPECT_TRUE(node->InsertMetaProp(prop, CZARVDrvNode::CFG_DI));
    EXPECT_EQ(prop->GetRefCount(), 3);
    CZARVMetaProp* other = NewProp(905);
    EXPECT_FALSE(node->InsertMetaProp(other, CZARVDrvNode::CFG_AI));
    EXPECT_EQ(node->GetMetaProp(905, CZARVDrvNode::CFG_AI), prop);
    other->Release();
    EXPECT_TRUE(node->DeleteMetaProp(905, CZARVDrvNode::CFG_AI));
    EXPECT_FALSE(node->DeleteMetaProp(905, CZARVDrvNode::CFG_AI));
    EXPECT_EQ(prop->GetRefCount(), 2);
    node->Clear(CZARVDrvNode::CFG_ALL);
    EXPECT_EQ(prop->GetRefCount(), 1);
    prop->Release();
}

TEST_F(DrvNodeTest, FreeMetaNumbers) {
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_AI), 900);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_IED), 960);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_PROTOCOL), 930);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_ALL), 65535);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_BIT0), 65535);
    for (unsigned short id = 900; id <= 929; ++id) {
        CZARVMetaProp* prop = NewProp(id);
        node->InsertMetaProp(prop, CZARVDrvNode::CFG_AI);
        prop->Release();
        if (id == 901) {
            EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_AI), 902);
        }
    }
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_AI), -1);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_DI), 900);
    node->DeleteMetaProp(915, CZARVDrvNode::CFG_AI);
    EXPECT_EQ(node->GetFreeMetaNo(CZARVDrvNode::CFG_AI), 915);
}

TEST_F(DrvNodeTest, QueryAppendsInOrder) {
    for (unsigned short id : {903, 901, 902}) {
        CZARVMetaProp* prop = NewProp(id);
        node->InsertMetaProp(prop, CZARVDrvNode::CFG_COUNT);
        prop->Release();
    }
    CZARVDataSet<CZARVMetaProp> out;
    EXPECT_EQ(node->QueryIOSet(CZARVDrvNode::CFG_BIT0, out), -1);
    EXPECT_EQ(node->QueryIOSet(CZARVDrvNode::CFG_AI, out), 0);
    EXPECT_EQ(node->QueryIOSet(CZARVDrvNode::CFG_COUNT, out), 3);
    EXPECT_EQ(node->QueryIOSet(CZARVDrvNode::CFG_COUNT, out), 6);
    EXPECT_EQ(out[0]->GetID(), 901);
    EXPECT_EQ(out[2]->GetID(), 903);
    node->Clear(CZARVDrvNode::CFG_BIT15);
    node->Clear(CZARVDrvNode::CFG_BIT0);
    EXPECT_NE(node->GetMetaProp(901, CZARVDrvNode::CFG_COUNT), nullptr);
}

TEST(CfgNodeContainsTest, ReadsTheIoMaskInItsOwnBitOrder) {
    CZARVDrvNode drv;
    const std::pair<CZARVDrvNode::CFGTYPE, int> bits[] = {
        {CZARVDrvNode::CFG_BIT0, 0}, {CZARVDrvNode::CFG_AI, 3},   {CZARVDrvNode::CFG_DI, 1},
        {CZARVDrvNode::CFG_COUNT, 5}, {CZARVDrvNode::CFG_AO, 4},  {CZARVDrvNode::CFG_DO, 2},
        {CZARVDrvNode::CFG_EVE, 6},  {CZARVDrvNode::CFG_SG, 12}, {CZARVDrvNode::CFG_CAL, 13},
        {CZARVDrvNode::CFG_MSG, 14}, {CZARVDrvNode::CFG_BIT15, 15},
    };
    for (auto [cat, bit] : bits) {
        drv.io = static_cast<unsigned short>(1u << bit);
        EXPECT_TRUE(drv.Contains(cat)) << cat;
        drv.io = static_cast<unsigned short>(~(1u << bit));
        EXPECT_FALSE(drv.Contains(cat)) << cat;
    }
    drv.io = 0xFFFF;
    EXPECT_FALSE(drv.Contains(CZARVDrvNode::CFG_PROTOCOL));
    EXPECT_FALSE(drv.Contains(CZARVDrvNode::CFG_IED));
    EXPECT_FALSE(drv.Contains(CZARVDrvNode::CFGTYPE(14)));
    drv.io = 1;
    EXPECT_FALSE(drv.Contains(CZARVDrvNode::CFG_ALL));
    drv.io = 2;
    EXPECT_TRUE(drv.Contains(CZARVDrvNode::CFG_ALL));

    CZARVSrvNode srv;
    srv.io = 8;
    EXPECT_TRUE(srv.Contains(CZARVSrvNode::CFG_AI));
    EXPECT_TRUE(srv.Contains(CZARVSrvNode::CFG_ALL));
    srv.io = 0x8000;
    EXPECT_FALSE(srv.Contains(CZARVSrvNode::CFGTYPE(11)));
    EXPECT_TRUE(srv.Contains(CZARVSrvNode::CFG_ALL));
    srv.io = 1;
    EXPECT_FALSE(srv.Contains(CZARVSrvNode::CFG_ALL));
}

TEST(SrvNodeTest, ParametersLiveIn930To959) {
    CZARVSrvNode* srv = new CZARVSrvNode;
    EXPECT_EQ(srv->GetFreeParNo(), 930);
    CZARVMetaProp* in = NewProp(930);
    CZARVMetaProp* out = NewProp(905);
    EXPECT_TRUE(srv->InsertPar(in));
    EXPECT_FALSE(srv->InsertPar(out));
    EXPECT_FALSE(srv->InsertPar(in));
    EXPECT_EQ(out->GetRefCount(), 1);
    EXPECT_EQ(in->GetRefCount(), 2);
    EXPECT_EQ(srv->GetFreeParNo(), 931);
    EXPECT_EQ(srv->GetPar(930), in);
    out->Release();
    srv->Release();  // releases its parameters
    EXPECT_EQ(in->GetRefCount(), 1);
    in->Release();
}

TEST(CfgNodeConstructionTest, FullConstructorsCopyTexts) {
    CZARVDrvNode drv("fam", "n", "mod", DRVTYPE(-7), "", nullptr, "ied", nullptr, 9);
    EXPECT_EQ(drv.ver, "");  // not defaulted
    EXPECT_EQ(drv.pseudodrv, "");
    EXPECT_EQ(drv.pseudoied, "ied");
    EXPECT_EQ(drv.type, -7);
    EXPECT_EQ(CZARVDrvNode().ver, "1.0.0");
    EXPECT_EQ(CZARVTskNode().ver, "1.0.0");
    EXPECT_EQ(CZARVSrvNode().ver, "1.0.0");
    CZARVTskNode tsk("n", "m", TSKTYPE(3), "2.0", "pt", nullptr, "d", 4);
    EXPECT_EQ(tsk.pseudotask, "pt");
    EXPECT_EQ(tsk.GetFreeMetaNo(CZARVTskNode::CFG_ITEM), 960);
    EXPECT_EQ(tsk.GetFreeMetaNo(CZARVTskNode::CFG_TASKPAR), 930);
}

}  // namespace
