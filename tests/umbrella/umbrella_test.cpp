// Uses every exported class through the umbrella header while linking only
// the shared library: what a program outside this tree sees.
#include <zarvqencore.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(UmbrellaTest, EveryExportedClassLinks) {
    TempDir dir;
    CZARVMetaPropTbl* metas = new CZARVMetaPropTbl;
    _zarvVAR v;
    v = 5L;
    CZARVMetaProp* prop = new CZARVMetaProp(10, "p", v, CZARVMetaProp::METAINPUTTYPE(0), "", "",
                                            CZARVMetaProp::METAVALIDTYPE(1));
    EXPECT_TRUE(metas->InsertMetaProp(prop));
    EXPECT_FALSE(*prop < *prop);
    prop->Release();
    EXPECT_TRUE(metas->SaveToFile(dir.File("meta.xml").c_str(), "1.0", "UTF-8"));

    CZARVQENDbEngine* engine = new CZARVQENDbEngine("3.0");
    engine->SetMetaProps(metas);
    EXPECT_EQ(engine->GetMetaProps(), metas);
    CZARVQENDriver* driver = new CZARVQENDriver(engine);
    driver->Release();
    engine->Release();
    metas->Release();

    CZARVDrvLib* lib = new CZARVDrvLib;
    CZARVDrvNode* drv = new CZARVDrvNode;
    CZARVSrvNode* srv = new CZARVSrvNode;
    CZARVTskNode* tsk = new CZARVTskNode;
    lib->InsertDrvNode(drv);
    lib->InsertSrvNode(srv);
    lib->InsertTskNode(tsk);
    drv->Release();
    srv->Release();
    tsk->Release();
    EXPECT_TRUE(lib->SaveToFile(dir.File("drv.xml").c_str(), "1.0", "UTF-8"));
    lib->Release();

    CZARVMetaTable* tables = new CZARVMetaTable;
    tables->Release();
    CZARVTypedObjTbl* objs = new CZARVTypedObjTbl;
    objs->Release();
    CZARVPseudos* pseudos = new CZARVPseudos;
    pseudos->Release();

    CZARVIODB iodb;
    (void)iodb;
}

}  // namespace
