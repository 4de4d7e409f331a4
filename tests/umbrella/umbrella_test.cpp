// Uses every exported class through the umbrella header while linking only
// the shared library: what a program outside this tree sees.
// The umbrella header comes first, so that it must compile on its own.
#include <zarvqencore.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

// A receiver of the host's messages, as a run-time host derives one.
class CountingReciever : public CZARVQENMsgReciever {
public:
    int OnReceiveMsg(CZARVMsg*) override { return ++messages; }
    void OnReceiveEvent(unsigned short, const char*) override {}
    int messages = 0;
};

TEST(UmbrellaTest, TheEngineAndItsDriverLink) {
    auto metas = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    auto prop = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(10, "p", _zarvVAR("5"), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                          CZARVMetaProp::METAVALIDTYPE(1)));
    EXPECT_TRUE(metas->InsertMetaProp(prop.get()));
    EXPECT_EQ(metas->GetMetaProp(10), prop.get());
    auto engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine("3.0"));
    engine->SetMetaProps(metas.get());
    auto driver = CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));
    EXPECT_NE(driver.get(), nullptr);
    CountingReciever reciever;
    EXPECT_EQ(reciever.OnReceiveMsg(nullptr), 1);
}

TEST(UmbrellaTest, TheIoIndexLinks) {
    CZARVIODB iodb;
    int record = 0;
    ASSERT_TRUE(iodb.CreateIndex("COM1$7", &record));
    const CIndexNode* node = iodb.GetIndexNode("COM1$7");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetNodeType(), CIndexNode::NT_LEAF);
    EXPECT_EQ(node->GetData(), &record);
}

TEST(UmbrellaTest, EveryCatalogueAndItsEntriesLink) {
    TempDir dir;
    auto metas = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    EXPECT_TRUE(metas->SaveToFile(dir.File("meta.xml").c_str(), "1.0", "UTF-8"));

    auto lib = CZARVPtr<CZARVDrvLib>::Adopt(new CZARVDrvLib);
    lib->InsertDrvNode(CZARVPtr<CZARVDrvNode>::Adopt(new CZARVDrvNode).get());
    lib->InsertSrvNode(CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode).get());
    lib->InsertTskNode(CZARVPtr<CZARVTskNode>::Adopt(new CZARVTskNode).get());
    EXPECT_TRUE(lib->SaveToFile(dir.File("drv.xml").c_str(), "1.0", "UTF-8"));

    auto tables = CZARVPtr<CZARVMetaTable>::Adopt(new CZARVMetaTable);
    CZARVTableNode* node = tables->CreateNewNode("points");
    ASSERT_NE(node, nullptr);
    auto field = CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField(
        "f", _zarvVAR("1"), CZARVTableField::FLDINPUTTYPE(0), nullptr, nullptr));
    EXPECT_TRUE(node->AddField(field.get()));
    EXPECT_EQ(node->GetField("f"), field.get());

    auto objs = CZARVPtr<CZARVTypedObjTbl>::Adopt(new CZARVTypedObjTbl);
    auto obj = CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(7, "1|2", "|"));
    EXPECT_TRUE(objs->InsertTypedObj(obj.get()));
    EXPECT_EQ(objs->GetTypedObj(7), obj.get());

    auto pseudos = CZARVPtr<CZARVPseudos>::Adopt(new CZARVPseudos);
    auto pseudo = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(3));
    EXPECT_TRUE(pseudo->InsertPSDProp(10, _zarvVAR("v")));
    EXPECT_TRUE(pseudos->InsertPseudo(pseudo.get()));
    EXPECT_EQ(pseudos->GetPseudo(3), pseudo.get());
}

TEST(UmbrellaTest, TheIdOrderOperatorsLink) {
    CZARVTypedObj low(1, "", "|"), high(2, "", "|");
    EXPECT_TRUE(low < high);
    CZARVPseudo first(1), second(2);
    EXPECT_TRUE(first < second);
    CZARVMetaProp a(1, "a", _zarvVAR(), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                    CZARVMetaProp::METAVALIDTYPE(0));
    CZARVMetaProp b(2, "b", _zarvVAR(), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                    CZARVMetaProp::METAVALIDTYPE(0));
    EXPECT_TRUE(a < b);
}
