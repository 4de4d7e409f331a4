// Writes small, valid files of each kind the fuzz targets read, as seed
// inputs, through the library's own writers: make_seeds OUT_DIR creates
// OUT_DIR/<target>/seed-*. For each kind there is an empty file, a typical
// one and one carrying every value kind.
#include <sys/stat.h>
#include <zarvqencore.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string g_out;

std::string Seed(const char* target, int n, const char* ext) {
    std::string dir = g_out + "/" + target;
    mkdir(dir.c_str(), 0755);
    return dir + "/seed-" + std::to_string(n) + "." + ext;
}

template <class T>
_zarvVAR Var(T value) {
    _zarvVAR v;
    v = value;
    return v;
}

// One value of each kind a file can carry (codes 0 to 7), at awkward
// points of their ranges, the text with bytes XML must escape.
std::vector<_zarvVAR> EveryKind() {
    return {Var(true),
            Var(static_cast<short>(-32768)),
            Var(static_cast<unsigned short>(65535)),
            Var(-2147483647L - 1),
            Var(4294967295UL),
            Var(0.1f),
            Var(1.0 / 3.0),
            Var("q\"a&l<g>'\xC3\xA9")};
}

CZARVMetaProp* Prop(unsigned short id, const char* name, const _zarvVAR& init, int valid) {
    return new CZARVMetaProp(id, name, init, CZARVMetaProp::METAINPUTTYPE(1), "p&<\"", "d",
                             CZARVMetaProp::METAVALIDTYPE(valid));
}

template <class Catalogue>
void SaveEmpty(const char* target) {
    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    catalogue->SaveToFile(Seed(target, 0, "xml").c_str(), "1.0", "UTF-8");
}

void MetaProps() {
    const char* target = "fuzz_meta_prop_tbl";
    SaveEmpty<CZARVMetaPropTbl>(target);
    auto table = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    const std::vector<_zarvVAR> kinds = EveryKind();
    for (size_t i = 0; i < kinds.size(); ++i) {
        auto prop = CZARVPtr<CZARVMetaProp>::Adopt(Prop(static_cast<unsigned short>(400 + i),
                                                        ("m" + std::to_string(i)).c_str(), kinds[i],
                                                        static_cast<int>(i % 4)));
        table->InsertMetaProp(prop.get());
    }
    table->SaveToFile(Seed(target, 1, "xml").c_str(), "1.0", "UTF-8");
}

void DrvLib() {
    const char* target = "fuzz_drv_lib";
    SaveEmpty<CZARVDrvLib>(target);
    auto lib = CZARVPtr<CZARVDrvLib>::Adopt(new CZARVDrvLib);
    auto drv = CZARVPtr<CZARVDrvNode>::Adopt(
        new CZARVDrvNode("fam", "drv", "mod", DRVTYPE(1), "1.0", "pd", "pi", "d", 0x0F));
    auto prop = CZARVPtr<CZARVMetaProp>::Adopt(Prop(905, "ai", Var(3L), 0));
    drv->InsertMetaProp(prop.get(), CZARVDrvNode::CFG_AI);
    lib->InsertDrvNode(drv.get());
    auto srv = CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode("srv", "smod", "1", "ps", "d", 1));
    prop = CZARVPtr<CZARVMetaProp>::Adopt(Prop(930, "par", Var(2.5), 0));
    srv->InsertPar(prop.get());
    lib->InsertSrvNode(srv.get());
    auto tsk = CZARVPtr<CZARVTskNode>::Adopt(
        new CZARVTskNode("tsk", "tmod", TSKTYPE(2), "1", "pt", "pi", "d", 2));
    lib->InsertTskNode(tsk.get());
    lib->SaveToFile(Seed(target, 1, "xml").c_str(), "1.0", "UTF-8");
}

void MetaTable() {
    const char* target = "fuzz_meta_table";
    SaveEmpty<CZARVMetaTable>(target);
    auto tables = CZARVPtr<CZARVMetaTable>::Adopt(new CZARVMetaTable);
    CZARVTableNode* node = tables->CreateNewNode("points");
    const std::vector<_zarvVAR> kinds = EveryKind();
    for (size_t i = 0; node && i < kinds.size(); ++i) {
        auto field = CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField);
        field->SetFieldName(("f" + std::to_string(i)).c_str());
        *field = kinds[i];
        node->AddField(field.get());
    }
    tables->CreateNewNode("empty");
    tables->SaveToFile(Seed(target, 1, "xml").c_str(), "1.0", "UTF-8");
}

void TypedObjs() {
    const char* target = "fuzz_typed_obj_tbl";
    SaveEmpty<CZARVTypedObjTbl>(target);
    auto objs = CZARVPtr<CZARVTypedObjTbl>::Adopt(new CZARVTypedObjTbl);
    auto obj = CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(7, "1,2,401", ",", "typed"));
    objs->InsertTypedObj(obj.get());
    obj = CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(32768, "", ",", ""));
    objs->InsertTypedObj(obj.get());
    objs->SaveToFile(Seed(target, 1, "xml").c_str(), "1.0", "UTF-8");
}

void Pseudos() {
    const char* target = "fuzz_pseudos";
    SaveEmpty<CZARVPseudos>(target);
    auto pseudos = CZARVPtr<CZARVPseudos>::Adopt(new CZARVPseudos);
    auto pseudo = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(3));
    const std::vector<_zarvVAR> kinds = EveryKind();
    for (size_t i = 0; i < kinds.size(); ++i)
        pseudo->InsertPSDProp(static_cast<unsigned short>(10 + i), kinds[i]);
    pseudos->InsertPseudo(pseudo.get());
    pseudo = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(4));
    pseudos->InsertPseudo(pseudo.get());
    pseudos->SaveToFile(Seed(target, 1, "xml").c_str(), "1.0", "UTF-8");
}

// Writes the database of RID 200 as seed `n` of the plain target, and the
// same bytes without the checksum for the target that appends one.
void SaveDatabase(CZARVQENDbEngine& engine, int n) {
    std::string plain = Seed("fuzz_db_file", n, "dat");
    engine.SaveToTemplate(200, plain.c_str(), "3.0");
    std::ifstream in(plain, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 4) return;
    std::ofstream out(Seed("fuzz_db_file_crc", n, "dat"), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 4));
}

void Databases() {
    CZARVQENDbEngine engine("3.0");
    engine.CreateConfigDB(200, 1);
    SaveDatabase(engine, 0);

    // Points in two groups with a name, an IO address and a double.
    const unsigned long points[] = {0xC8010001, 0xC8010002, 0xC8021003};
    int n = 0;
    for (unsigned long gmpid : points) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
        info->InsertMPProp(1, Var(("p" + std::to_string(n)).c_str()), 0);
        info->InsertMPProp(401, Var("COM1"), 1);
        info->InsertMPProp(402, Var(std::to_string(n++).c_str()), 2);
        info->InsertMPProp(20, Var(1.25), 3);
        engine.InsertMPInfo(info.get());
    }
    SaveDatabase(engine, 1);

    // One point carrying every value kind with every valid type, and one
    // referring to another by name.
    auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0xC8030001));
    const std::vector<_zarvVAR> kinds = EveryKind();
    for (size_t i = 0; i < kinds.size(); ++i)
        info->InsertMPProp(static_cast<unsigned short>(30 + i), kinds[i], static_cast<int>(i % 4));
    info->InsertMPProp(31 + static_cast<unsigned short>(kinds.size()), _zarvVAR(), 0);
    engine.InsertMPInfo(info.get());
    info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(0xC8030002));
    info->InsertMPProp(499, Var("p0"), 3);
    engine.InsertMPInfo(info.get());
    SaveDatabase(engine, 2);
}

void Texts() {
    std::ofstream(Seed("fuzz_markup", 1, "xml"))
        << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<r a=\"&amp;\"><c>t</c><d/></r>\n";
    std::ofstream(Seed("fuzz_markup", 2, "xml"))
        << "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY e \"x\">]>\n<!-- c -->\n"
           "<r x='&lt;&#10;&#x41;'><![CDATA[a<b]]><?pi t?><s> </s>&e;</r>\n";

    CZARVGRPData group;
    for (const _zarvVAR& value : EveryKind()) group.Add(value);
    _zarv_str text;
    group.ToStream(text);
    std::ofstream(Seed("fuzz_grp_data", 1, "txt")) << text.c_str();

    std::ofstream(Seed("fuzz_io_index", 1, "txt")) << "COM1$1\nCOM1$2\nCOM2$1\nA$B$C\n";
    std::ofstream(Seed("fuzz_io_index", 2, "txt")) << "$\n$$\nCOM1\nCOM1$\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUT_DIR\n");
        return 2;
    }
    g_out = argv[1];
    mkdir(g_out.c_str(), 0755);
    MetaProps();
    DrvLib();
    MetaTable();
    TypedObjs();
    Pseudos();
    Databases();
    Texts();
    return 0;
}
