#include "drvlib/drv_lib.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "catalogue/catalogue_test_util.h"
#include "support/make_var.h"
#include "support/temp_dir.h"

namespace {

using Lib = CZARVDrvLib;
using Names = std::vector<std::string>;

// Inserts a new property into `cat` of `node` (which then holds the only reference).
template <class Node, class Cat>
void AddProp(Node& node, Cat cat, unsigned short id, const _zarvVAR& init, const char* par = "",
             int valid = 0) {
    auto prop = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(id, "p", init, METAINPUTTYPE(3), par, "d", METAVALIDTYPE(valid)));
    EXPECT_TRUE(node.InsertMetaProp(prop.get(), cat));
}

template <class Node, class... Args>
CZARVPtr<Node> New(Args... args) {
    return CZARVPtr<Node>::Adopt(new Node(args...));
}

// The element tags of an XML text in document order.
Names Tags(const std::string& text) {
    static const std::regex tag("<([A-Za-z]\\w*)");
    Names out;
    for (std::sregex_iterator it(text.begin(), text.end(), tag), end; it != end; ++it)
        out.push_back((*it)[1]);
    return out;
}

// The attribute names of the first element tagged `tag`, in written order.
Names AttribNames(const std::string& text, const std::string& tag) {
    std::smatch elem;
    if (!std::regex_search(text, elem, std::regex("<" + tag + "\\b([^>]*)>"))) return {};
    static const std::regex attr("(\\w+)=");
    const std::string attrs = elem[1];
    Names out;
    for (std::sregex_iterator it(attrs.begin(), attrs.end(), attr), end; it != end; ++it)
        out.push_back((*it)[1]);
    return out;
}

class DrvLibTest : public ::testing::Test {
protected:
    std::string Save() {
        std::string path = dir.File("drv.xml");
        EXPECT_TRUE(lib.SaveToFile(path.c_str(), "1.0", "UTF-8"));
        return path;
    }
    void AddDrv(const char* module) {
        auto drv = New<CZARVDrvNode>();
        drv->module = module;
        EXPECT_TRUE(lib.InsertDrvNode(drv.get()));
    }

    TempDir dir;
    Lib lib;
};

TEST_F(DrvLibTest, KeysAreOrderedByBytesUniquePerMapAndNameListsAppend) {
    for (const char* m : {"b", "B", "a"}) AddDrv(m);
    Names list{"x"};
    EXPECT_EQ(lib.GetNodeNameList(list, Lib::NODE_DRV), 4);
    EXPECT_EQ(lib.GetNodeNameList(list, Lib::NODETYPE(3)), 4);
    EXPECT_EQ(list, (Names{"x", "B", "a", "b"}));
    auto first =
        New<CZARVDrvNode>("f", "first", "m", DRVTYPE(0), "1", nullptr, nullptr, nullptr, 0);
    auto second =
        New<CZARVDrvNode>("f", "second", "m", DRVTYPE(0), "1", nullptr, nullptr, nullptr, 0);
    auto srv = New<CZARVSrvNode>("s", "m", "1", nullptr, nullptr, 0);
    EXPECT_TRUE(lib.InsertDrvNode(first.get()));
    EXPECT_FALSE(lib.InsertDrvNode(second.get()));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(lib.InsertSrvNode(srv.get()));  // each kind its own map
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_FALSE(lib.DeleteNode("m", Lib::NODETYPE(3)));
    EXPECT_TRUE(lib.DeleteNode("m", Lib::NODE_DRV));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(lib.GetSrvNode("m"), srv.get());
}

// Every field coming back is the round-trip fuzz target's; here: the layout,
// and no valid type, which the library never writes.
TEST_F(DrvLibTest, SaveWritesKindsInOrderAttributesInOrderAndEveryCategoryElement) {
    auto tsk = New<CZARVTskNode>("tn", "t", TSKTYPE(1), "1", "pt", "pi", "td", 0);
    auto srv = New<CZARVSrvNode>("sn", "s", "1", "ps", "sd", 0);
    auto drv = New<CZARVDrvNode>("f", "dn", "d", DRVTYPE(2), "1", "pd", "pi", "dd", 0);
    AddProp(*drv, CZARVDrvNode::CFG_DO, 925, Var(1L));
    AddProp(*drv, CZARVDrvNode::CFG_DO, 906, Var(1L), "", 3);
    EXPECT_TRUE(lib.InsertTskNode(tsk.get()));  // inserted against the written order
    EXPECT_TRUE(lib.InsertSrvNode(srv.get()));
    EXPECT_TRUE(lib.InsertDrvNode(drv.get()));
    AddDrv("e");  // after "d": its categories are all empty
    const std::string text = ReadAll(Save());
    const Names categories{"ai", "di", "count", "ao", "do", "eve", "sg", "cal", "msg"};
    Names want{"driverlib", "metadrv"};
    for (const std::string& cat : categories) {
        want.push_back(cat);
        if (cat == "do") want.insert(want.end(), {"prop", "prop"});
    }
    want.insert(want.end(), {"protocol", "ied", "metadrv"});
    want.insert(want.end(), categories.begin(), categories.end());
    want.insert(want.end(), {"protocol", "ied", "metasrv", "par", "metatask"});  // "par" empty
    want.insert(want.end(), categories.begin(), categories.end());
    want.insert(want.end(), {"taskpar", "item"});
    EXPECT_EQ(Tags(text), want) << text;
    EXPECT_LT(text.find(">906,"), text.find(">925,"));  // ascending meta numbers
    EXPECT_EQ(AttribNames(text, "metadrv"), (Names{"family", "name", "module", "type", "io", "ver",
                                                   "desc", "pseudodrv", "pseudoied"}));
    EXPECT_EQ(AttribNames(text, "metasrv"),
              (Names{"name", "module", "io", "ver", "desc", "pseudosrv"}));
    EXPECT_EQ(AttribNames(text, "metatask"),
              (Names{"name", "module", "type", "io", "ver", "desc", "pseudotask", "pseudoied"}));
    EXPECT_EQ(AttribNames(text, "prop"), (Names{"par", "desc"}));  // no "valid"
    EXPECT_EQ(text.find("valid"), std::string::npos);
}

TEST_F(DrvLibTest, LoaderDropsWhatItCannotUseAndLeavesTheFlag) {
    std::string path = dir.File("in.xml");
    WriteAll(
        path,
        "<?xml version=\"1.0\"?>\n<other>\n"
        " <metatask module=\"t\" io=\"65537\" type=\"-2\"><item><prop>960,i,3,5,0</prop></item>"
        "  <taskpar><prop>905,bad,3,5,0</prop></taskpar></metatask>\n"
        " <metadrv module=\"m\" name=\"first\">\n"
        "  <ai><prop valid=\"3\">905,name,6,1.5,0</prop><prop>906,six,6,1,5,0</prop>"
        "      <prop>907,n</prop><other>908,x,3,1,0</other></ai>\n"
        "  <protocol><prop>905,name,6,1.5,0</prop></protocol>\n"
        " </metadrv>\n"
        " <metadrv module=\"m\" name=\"second\"><ai><prop>911,x,3,1,0</prop></ai></metadrv>\n"
        " <metasrv module=\"s\"><par><prop>930,a,3,1,0</prop></par>"
        "  <par><prop>931,c,3,1,0</prop></par></metasrv><junk/>\n"
        "</other>\n");
    lib.SetModify(true);
    ASSERT_TRUE(lib.LoadFromFile(path.c_str()));
    EXPECT_TRUE(lib.IsModified());
    CZARVDrvNode* d = lib.GetDrvNode("m");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->name, "first");
    ASSERT_NE(d->GetMetaProp(905, CZARVDrvNode::CFG_AI), nullptr);
    EXPECT_EQ(d->GetMetaProp(905, CZARVDrvNode::CFG_AI)->GetValidType(), 0);  // "valid" is not read
    for (unsigned short id : {906, 907, 908, 911})
        EXPECT_EQ(d->GetMetaProp(id, CZARVDrvNode::CFG_AI), nullptr) << id;
    EXPECT_EQ(d->GetMetaProp(905, CZARVDrvNode::CFG_PROTOCOL), nullptr);
    ASSERT_NE(lib.GetSrvNode("s"), nullptr);
    EXPECT_NE(lib.GetSrvNode("s")->GetPar(931), nullptr);
    ASSERT_NE(lib.GetTskNode("t"), nullptr);
    EXPECT_EQ(lib.GetTskNode("t")->io, 1);  // low 16 bits
    EXPECT_EQ(lib.GetTskNode("t")->GetMetaProp(905, CZARVTskNode::CFG_TASKPAR), nullptr);
}

TEST_F(DrvLibTest, SaveRefusesANulByteInANodeTextOrAPropertyValueAndKeepsTheOldFile) {
    auto drv = New<CZARVDrvNode>();
    drv->desc = std::string("a\0b", 3);
    ASSERT_TRUE(lib.InsertDrvNode(drv.get()));
    ExpectSaveRefusedKeepingTheOldFile(dir, lib);
    drv->desc = "ab";
    AddProp(*drv, CZARVDrvNode::CFG_IED, 960, TextWithNul());
    ExpectSaveRefusedKeepingTheOldFile(dir, lib);
    drv->Clear(CZARVDrvNode::CFG_IED);
    Save();  // without the NUL bytes the same library saves
}

TEST_F(DrvLibTest, FailedLoadKeepsTheContentAndSaveLeavesTheFlag) {
    EXPECT_NE(ReadAll(Save()).find("<driverlib />"), std::string::npos);  // empty: an empty root
    AddDrv("keep");
    std::string bad = dir.File("bad.xml");
    WriteAll(bad, "<driverlib><metadrv></driverlib>");
    EXPECT_FALSE(lib.LoadFromFile(bad.c_str()));
    EXPECT_FALSE(lib.LoadFromFile(dir.File("missing.xml").c_str()));
    EXPECT_NE(lib.GetDrvNode("keep"), nullptr);
    Save();
    EXPECT_FALSE(lib.IsModified());
}

}  // namespace
