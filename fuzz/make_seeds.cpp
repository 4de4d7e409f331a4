// Writes one small, valid file of each kind the fuzz targets read, as seed
// inputs: make_seeds OUT_DIR creates OUT_DIR/<target>/seed-*.
#include <zarvqencore.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string g_out;

std::string Folder(const char* target) {
    std::string dir = g_out + "/" + target;
    mkdir(dir.c_str(), 0755);
    return dir;
}

CZARVMetaProp* Prop(unsigned short id, const char* name, const _zarvVAR& init, int valid) {
    return new CZARVMetaProp(id, name, init, CZARVMetaProp::METAINPUTTYPE(1), "p&<\"", "d",
                             CZARVMetaProp::METAVALIDTYPE(valid));
}

void MetaProps() {
    auto* table = new CZARVMetaPropTbl;
    _zarvVAR v;
    v = true;
    table->InsertMetaProp(Prop(1, "name", v, 0));
    table->GetMetaProp(1)->Release();
    v = 1.5f;
    table->InsertMetaProp(Prop(401, "io1", v, 2));
    table->GetMetaProp(401)->Release();
    v = "text";
    table->InsertMetaProp(Prop(499, "ref", v, 3));
    table->GetMetaProp(499)->Release();
    table->SaveToFile((Folder("fuzz_meta_prop_tbl") + "/seed-1.xml").c_str(), "1.0", "UTF-8");
    table->Release();
}

void DrvLib() {
    auto* lib = new CZARVDrvLib;
    auto* drv = new CZARVDrvNode("fam", "drv", "mod", DRVTYPE(1), "1.0", "pd", "pi", "d", 0x0F);
    _zarvVAR v;
    v = 3L;
    CZARVMetaProp* p = Prop(905, "ai", v, 0);
    drv->InsertMetaProp(p, CZARVDrvNode::CFG_AI);
    p->Release();
    lib->InsertDrvNode(drv);
    drv->Release();
    auto* srv = new CZARVSrvNode("srv", "smod", "1", "ps", "d", 1);
    p = Prop(930, "par", v, 0);
    srv->InsertPar(p);
    p->Release();
    lib->InsertSrvNode(srv);
    srv->Release();
    auto* tsk = new CZARVTskNode("tsk", "tmod", TSKTYPE(2), "1", "pt", "pi", "d", 2);
    lib->InsertTskNode(tsk);
    tsk->Release();
    lib->SaveToFile((Folder("fuzz_drv_lib") + "/seed-1.xml").c_str(), "1.0", "UTF-8");
    lib->Release();
}

void MetaTable() {
    auto* tables = new CZARVMetaTable;
    CZARVTableNode* node = tables->CreateNewNode("points");
    if (node) {
        _zarvVAR v;
        v = 7L;
        auto* field = new CZARVTableField;
        field->SetFieldName("f1");
        *field = v;
        node->AddField(field);
        field->Release();
    }
    tables->SaveToFile((Folder("fuzz_meta_table") + "/seed-1.xml").c_str(), "1.0", "UTF-8");
    tables->Release();
}

void TypedObjs() {
    auto* objs = new CZARVTypedObjTbl;
    auto* obj = new CZARVTypedObj(7, "1,2,401", ",", "typed");
    objs->InsertTypedObj(obj);
    obj->Release();
    objs->SaveToFile((Folder("fuzz_typed_obj_tbl") + "/seed-1.xml").c_str(), "1.0", "UTF-8");
    objs->Release();
}

void Pseudos() {
    auto* pseudos = new CZARVPseudos;
    auto* pseudo = new CZARVPseudo(3);
    _zarvVAR v;
    v = 2.25;
    pseudo->InsertPSDProp(10, v);
    v = "x,y";
    pseudo->InsertPSDProp(11, v);
    pseudos->InsertPseudo(pseudo);
    pseudo->Release();
    pseudos->SaveToFile((Folder("fuzz_pseudos") + "/seed-1.xml").c_str(), "1.0", "UTF-8");
    pseudos->Release();
}

void Database() {
    CZARVQENDbEngine engine("3.0");
    engine.CreateConfigDB(200, 1);
    const unsigned long points[] = {0xC8010001, 0xC8010002, 0xC8021003};
    int n = 0;
    for (unsigned long gmpid : points) {
        auto* info = new CZARVMPInfo(gmpid);
        _zarvVAR v;
        v = ("p" + std::to_string(n)).c_str();
        info->InsertMPProp(1, v, 0);
        v = "COM1";
        info->InsertMPProp(401, v, 1);
        v = std::to_string(n++).c_str();
        info->InsertMPProp(402, v, 2);
        v = 1.25;
        info->InsertMPProp(20, v, 3);
        engine.InsertMPInfo(info);
        info->Release();
    }
    std::string plain = Folder("fuzz_db_file") + "/seed-1.dat";
    engine.SaveToTemplate(200, plain.c_str(), "3.0");
    // The checksum-appending target gets the same file without its checksum.
    std::ifstream in(plain, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(Folder("fuzz_db_file_crc") + "/seed-1.dat", std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 4));
}

void Texts() {
    std::ofstream(Folder("fuzz_markup") + "/seed-1.xml")
        << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<r a=\"&amp;\"><c>t</c><d/></r>\n";
    CZARVGRPData group;
    _zarvVAR v;
    v = 5L;
    group.Add(v);
    v = "text";
    group.Add(v);
    _zarv_str text;
    group.ToStream(text);
    std::ofstream(Folder("fuzz_grp_data") + "/seed-1.txt") << text.c_str();
    std::ofstream(Folder("fuzz_io_index") + "/seed-1.txt") << "COM1$1\nCOM1$2\nCOM2$1\nA$B$C\n";
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
    Database();
    Texts();
    return 0;
}
