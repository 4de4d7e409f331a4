// Uses every exported class through the umbrella header while linking only
// the shared library: what a program outside this tree sees.
// The umbrella header comes first, so that it must compile on its own.
#include <zarvqencore.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(UmbrellaTest, EveryExportedClassLinks) {
    TempDir dir;
    auto metas = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    auto prop = CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(10, "p", _zarvVAR("5"), CZARVMetaProp::METAINPUTTYPE(0), "", "",
                          CZARVMetaProp::METAVALIDTYPE(1)));
    EXPECT_TRUE(metas->InsertMetaProp(prop.get()));
    EXPECT_TRUE(metas->SaveToFile(dir.File("meta.xml").c_str(), "1.0", "UTF-8"));
    auto engine = CZARVPtr<CZARVQENDbEngine>::Adopt(new CZARVQENDbEngine("3.0"));
    engine->SetMetaProps(metas.get());
    CZARVPtr<CZARVQENDriver>::Adopt(new CZARVQENDriver(engine.get()));

    auto lib = CZARVPtr<CZARVDrvLib>::Adopt(new CZARVDrvLib);
    lib->InsertDrvNode(CZARVPtr<CZARVDrvNode>::Adopt(new CZARVDrvNode).get());
    lib->InsertSrvNode(CZARVPtr<CZARVSrvNode>::Adopt(new CZARVSrvNode).get());
    lib->InsertTskNode(CZARVPtr<CZARVTskNode>::Adopt(new CZARVTskNode).get());
    EXPECT_TRUE(lib->SaveToFile(dir.File("drv.xml").c_str(), "1.0", "UTF-8"));
    (new CZARVMetaTable)->Release();
    (new CZARVTypedObjTbl)->Release();
    (new CZARVPseudos)->Release();
    [[maybe_unused]] CZARVIODB iodb;
}
