// Uses every exported class through the umbrella header while linking only
// the shared library: what a program outside this tree sees.
#include <gtest/gtest.h>
#include <zarvqencore.h>

#include "support/temp_dir.h"

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
    (new CZARVQENDriver(engine))->Release();
    engine->Release();
    metas->Release();

    CZARVDrvLib* lib = new CZARVDrvLib;
    lib->InsertDrvNode(CZARVPtr<CZARVDrvNode>::Adopt(new CZARVDrvNode).get());
    lib->InsertSrvNode(CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode).get());
    lib->InsertTskNode(CZARVPtr<CZARVTskNode>::Adopt(new CZARVTskNode).get());
    EXPECT_TRUE(lib->SaveToFile(dir.File("drv.xml").c_str(), "1.0", "UTF-8"));
    lib->Release();
    (new CZARVMetaTable)->Release();
    (new CZARVTypedObjTbl)->Release();
    (new CZARVPseudos)->Release();
    CZARVIODB iodb;
    (void)iodb;
}
