#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drvlib/drv_lib.h"
#include "support/temp_dir.h"

namespace {

CZARVMetaProp* NewProp(unsigned short id, const char* name, const _zarvVAR& init,
                       const char* par = "", const char* desc = "", int valid = 0) {
    return new CZARVMetaProp(id, name, init, CZARVMetaProp::METAINPUTTYPE(3), par, desc,
                             CZARVMetaProp::METAVALIDTYPE(valid));
}

template <class Node, class Cat>
void AddProp(Node* node, Cat cat, CZARVMetaProp* prop) {
    EXPECT_TRUE(node->InsertMetaProp(prop, cat));
    prop->Release();
}

std::vector<std::string> Keys(const CZARVDrvLib& lib, CZARVDrvLib::NODETYPE type) {
    std::vector<_zarv_str> list;
    lib.GetNodeNameList(list, type);
    return std::vector<std::string>(list.begin(), list.end());
}

class DrvLibTest : public ::testing::Test {
protected:
    ~DrvLibTest() override { lib->Release(); }

    std::string Save(CZARVDrvLib& l) {
        std::string path = dir.File("drv.xml");
        EXPECT_TRUE(l.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        return path;
    }
    std::string WriteXml(const std::string& body) {
        std::string path = dir.File("in.xml");
        WriteAll(path, "<?xml version=\"1.0\"?>\n" + body);
        return path;
    }

    TempDir dir;
    CZARVDrvLib* lib = new CZARVDrvLib;
};

TEST_F(DrvLibTest, EmptyLibraryWritesDeclarationAndEmptyRoot) {
    std::string text = ReadAll(Save(*lib));
    EXPECT_NE(text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), std::string::npos);
    EXPECT_NE(text.find("<driverlib />"), std::string::npos) << text;
    CZARVDrvLib back;
    EXPECT_TRUE(back.LoadFromFile(dir.File("drv.xml").c_str()));
    EXPECT_TRUE(Keys(back, CZARVDrvLib::NODE_DRV).empty());
}

TEST_F(DrvLibTest, KeysAreOrderedByBytesAndListsAppend) {
    for (const char* m : {"b", "B", "a"}) {
        auto* node = new CZARVDrvNode("f", "n", m, DRVTYPE(0), "1", nullptr, nullptr, nullptr, 0);
        EXPECT_TRUE(lib->InsertDrvNode(node));
        node->Release();
    }
    std::vector<_zarv_str> list;
    EXPECT_EQ(lib->GetNodeNameList(list, CZARVDrvLib::NODE_DRV), 3);
    EXPECT_EQ(lib->GetNodeNameList(list, CZARVDrvLib::NODE_DRV), 6);
    EXPECT_EQ(list[0], "B");
    EXPECT_EQ(list[1], "a");
    EXPECT_EQ(list[2], "b");
    EXPECT_EQ(lib->GetNodeNameList(list, CZARVDrvLib::NODETYPE(3)), 6);

    std::string text = ReadAll(Save(*lib));
    EXPECT_LT(text.find("module=\"B\""), text.find("module=\"a\""));
    EXPECT_LT(text.find("module=\"a\""), text.find("module=\"b\""));
}

TEST_F(DrvLibTest, NameListFillsPlainStringsToo) {
    for (const char* m : {"t2", "t1"}) {
        auto* node = new CZARVTskNode("n", m, TSKTYPE(0), "1", nullptr, nullptr, nullptr, 0);
        EXPECT_TRUE(lib->InsertTskNode(node));
        node->Release();
    }
    std::vector<std::string> list{"x"};
    EXPECT_EQ(lib->GetNodeNameList(list, CZARVDrvLib::NODE_TSK), 3);
    EXPECT_EQ(list, (std::vector<std::string>{"x", "t1", "t2"}));
    EXPECT_EQ(lib->GetNodeNameList(list, CZARVDrvLib::NODE_SRV), 3);
}

TEST_F(DrvLibTest, DuplicateKeysAreRefusedPerMap) {
    auto* first = new CZARVDrvNode("f", "first", "m", DRVTYPE(0), "1", nullptr, nullptr, nullptr, 0);
    auto* second = new CZARVDrvNode("f", "second", "m", DRVTYPE(0), "1", nullptr, nullptr, nullptr, 0);
    auto* srv = new CZARVSrvNode("s", "m", "1", nullptr, nullptr, 0);
    EXPECT_TRUE(lib->InsertDrvNode(first));
    EXPECT_FALSE(lib->InsertDrvNode(second));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(lib->InsertSrvNode(srv));
    EXPECT_EQ(lib->GetDrvNode("m"), first);
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(lib->DeleteNode("m", CZARVDrvLib::NODETYPE(3)));
    EXPECT_TRUE(lib->DeleteNode("m", CZARVDrvLib::NODE_DRV));
    EXPECT_FALSE(lib->DeleteNode("m", CZARVDrvLib::NODE_DRV));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(lib->GetSrvNode("m"), srv);
    EXPECT_EQ(lib->GetTskNode("m"), nullptr);
    first->Release();
    second->Release();
    srv->Release();
}

TEST_F(DrvLibTest, RoundTripKeepsEveryFieldButTheValidType) {
    const char* hostile = "a \"q\" & <b> \xC3\xA9\ttab";
    auto* drv = new CZARVDrvNode(hostile, "drv name", "mod1", DRVTYPE(-5), "2.1", "pd", "pi",
                                 hostile, 0xF00F);
    _zarvVAR v;
    v = 1.5;
    AddProp(drv, CZARVDrvNode::CFG_AI, NewProp(905, "ai905", v, hostile, "d", 3));
    v = static_cast<short>(-3);
    AddProp(drv, CZARVDrvNode::CFG_MSG, NewProp(929, "msg", v));
    v = "text";
    AddProp(drv, CZARVDrvNode::CFG_PROTOCOL, NewProp(930, "proto", v));
    v = true;
    AddProp(drv, CZARVDrvNode::CFG_IED, NewProp(989, "ied", v));
    auto* srv = new CZARVSrvNode("srv", "mod1", "3", "ps", "sd", 7);
    v = 0.25f;
    EXPECT_TRUE(srv->InsertPar(NewProp(940, "par", v)));
    srv->GetPar(940)->Release();
    auto* tsk = new CZARVTskNode("tsk", "t", TSKTYPE(77), "", "pt", "pi2", "td", 2);
    v = 4000000000UL;
    AddProp(tsk, CZARVTskNode::CFG_ITEM, NewProp(960, "item", v));
    v = 65535UL;
    AddProp(tsk, CZARVTskNode::CFG_CAL, NewProp(900, "cal", v));
    lib->InsertDrvNode(drv);
    lib->InsertSrvNode(srv);
    lib->InsertTskNode(tsk);
    drv->Release();
    srv->Release();
    tsk->Release();

    CZARVDrvLib back(Save(*lib).c_str());
    CZARVDrvNode* d = back.GetDrvNode("mod1");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->family, hostile);
    EXPECT_EQ(d->desc, hostile);
    EXPECT_EQ(d->type, -5);
    EXPECT_EQ(d->io, 0xF00F);
    EXPECT_EQ(d->ver, "2.1");
    EXPECT_EQ(d->pseudodrv, "pd");
    EXPECT_EQ(d->pseudoied, "pi");
    CZARVMetaProp* p = d->GetMetaProp(905, CZARVDrvNode::CFG_AI);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->GetParameter(), hostile);
    EXPECT_EQ(p->GetValidType(), 0);
    EXPECT_EQ(p->GetInputType(), 3);
    _zarvVAR got;
    EXPECT_EQ(p->GetInitValue(got), 6);
    EXPECT_EQ(got.ToDouble(), 1.5);
    ASSERT_NE(d->GetMetaProp(929, CZARVDrvNode::CFG_MSG), nullptr);
    EXPECT_EQ(d->GetMetaProp(929, CZARVDrvNode::CFG_MSG)->GetValType(), 1);
    ASSERT_NE(d->GetMetaProp(930, CZARVDrvNode::CFG_PROTOCOL), nullptr);
    ASSERT_NE(d->GetMetaProp(989, CZARVDrvNode::CFG_IED), nullptr);

    CZARVSrvNode* s = back.GetSrvNode("mod1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->pseudosrv, "ps");
    EXPECT_EQ(s->io, 7);
    ASSERT_NE(s->GetPar(940), nullptr);
    EXPECT_EQ(s->GetPar(940)->GetValType(), 5);

    CZARVTskNode* t = back.GetTskNode("t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->type, 77);
    EXPECT_EQ(t->ver, "");
    EXPECT_EQ(t->pseudoied, "pi2");
    ASSERT_NE(t->GetMetaProp(960, CZARVTskNode::CFG_ITEM), nullptr);
    t->GetMetaProp(960, CZARVTskNode::CFG_ITEM)->GetInitValue(got);
    EXPECT_EQ(got.GetType(), 4);
    EXPECT_EQ(got.ToString(), "2147483647");  // the decimal rule clamps
    EXPECT_NE(t->GetMetaProp(900, CZARVTskNode::CFG_CAL), nullptr);
}

TEST_F(DrvLibTest, NodesWithoutPropertiesWriteEveryCategory) {
    auto* drv = new CZARVDrvNode;
    drv->module = "m";
    auto* srv = new CZARVSrvNode;
    srv->module = "s";
    lib->InsertDrvNode(drv);
    lib->InsertSrvNode(srv);
    drv->Release();
    srv->Release();
    std::string text = ReadAll(Save(*lib));
    size_t at = 0;
    for (const char* tag : {"<ai />", "<di />", "<count />", "<ao />", "<do />", "<eve />",
                            "<sg />", "<cal />", "<msg />", "<protocol />", "<ied />", "<par />"}) {
        size_t next = text.find(tag, at);
        ASSERT_NE(next, std::string::npos) << tag << "\n" << text;
        at = next;
    }
    EXPECT_EQ(text.find("valid="), std::string::npos);
}

TEST_F(DrvLibTest, LoaderDropsWhatItCannotUse) {
    std::string path = WriteXml(
        "<other>\n"
        " <metatask module=\"t\" io=\"65537\" type=\"-2\"><item><prop>960,i,3,5,0</prop></item>"
        "  <taskpar><prop>905,bad,3,5,0</prop></taskpar></metatask>\n"
        " <metadrv module=\"m\" name=\"first\">\n"
        "  <ai><prop valid=\"3\">905,name,6,1.5,0</prop><prop>906,six,6,1,5,0</prop>"
        "      <prop>907,n</prop><other>908,x,3,1,0</other></ai>\n"
        "  <AI><prop>909,upper,3,1,0</prop></AI>\n"
        "  <protocol><prop>905,name,6,1.5,0</prop></protocol>\n"
        "  <bogus><prop>910,b,3,1,0</prop></bogus>\n"
        " </metadrv>\n"
        " <metadrv module=\"m\" name=\"second\"><ai><prop>911,x,3,1,0</prop></ai></metadrv>\n"
        " <metasrv module=\"s\"><par><prop>930,a,3,1,0</prop><prop>905,b,3,1,0</prop></par>"
        "  <par><prop>931,c,3,1,0</prop></par></metasrv>\n"
        " <junk/>\n"
        "</other>\n");
    lib->SetModify(true);
    ASSERT_TRUE(lib->LoadFromFile(path.c_str()));
    EXPECT_TRUE(lib->IsModified());
    CZARVDrvNode* d = lib->GetDrvNode("m");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->name, "first");
    EXPECT_EQ(d->ver, "");  // a missing attribute is an empty text
    CZARVMetaProp* p = d->GetMetaProp(905, CZARVDrvNode::CFG_AI);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetValidType(), 0);  // "valid" is not read here
    EXPECT_EQ(d->GetMetaProp(906, CZARVDrvNode::CFG_AI), nullptr);
    EXPECT_EQ(d->GetMetaProp(907, CZARVDrvNode::CFG_AI), nullptr);
    EXPECT_EQ(d->GetMetaProp(908, CZARVDrvNode::CFG_AI), nullptr);
    EXPECT_EQ(d->GetMetaProp(909, CZARVDrvNode::CFG_AI), nullptr);
    EXPECT_EQ(d->GetMetaProp(905, CZARVDrvNode::CFG_PROTOCOL), nullptr);
    EXPECT_EQ(d->GetMetaProp(911, CZARVDrvNode::CFG_AI), nullptr);
    CZARVSrvNode* s = lib->GetSrvNode("s");
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->GetPar(930), nullptr);
    EXPECT_NE(s->GetPar(931), nullptr);
    EXPECT_EQ(s->GetPar(905), nullptr);
    CZARVTskNode* t = lib->GetTskNode("t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->io, 1);  // low 16 bits
    EXPECT_EQ(t->type, -2);
    EXPECT_NE(t->GetMetaProp(960, CZARVTskNode::CFG_ITEM), nullptr);
    EXPECT_EQ(t->GetMetaProp(905, CZARVTskNode::CFG_TASKPAR), nullptr);
}

TEST_F(DrvLibTest, FailedLoadKeepsContentAndSaveLeavesModifiedFlag) {
    auto* drv = new CZARVDrvNode;
    drv->module = "keep";
    lib->InsertDrvNode(drv);
    drv->Release();
    std::string bad = dir.File("bad.xml");
    WriteAll(bad, "<driverlib><metadrv></driverlib>");
    EXPECT_FALSE(lib->LoadFromFile(bad.c_str()));
    EXPECT_FALSE(lib->LoadFromFile(dir.File("missing.xml").c_str()));
    EXPECT_NE(lib->GetDrvNode("keep"), nullptr);
    EXPECT_FALSE(lib->IsModified());
    Save(*lib);
    EXPECT_FALSE(lib->IsModified());
}

}  // namespace
