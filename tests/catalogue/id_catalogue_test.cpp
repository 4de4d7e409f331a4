// The shared behaviour of the ID-ordered catalogues of this folder.
#include "catalogue/id_catalogue_contract.h"
#include "meta/meta_prop_tbl.h"
#include "meta/typed_obj_tbl.h"

template <>
struct IdCatalogue<CZARVMetaPropTbl> {
    static constexpr const char* kRoot = "meta";
    static CZARVPtr<CZARVMetaProp> New(unsigned short id) {
        return CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, "n", _zarvVAR(), METAINPUTTYPE(0), "", "", METAVALIDTYPE(0)));
    }
    static bool Insert(CZARVMetaPropTbl& t, CZARVMetaProp* p) { return t.InsertMetaProp(p); }
    static CZARVMetaProp* Get(CZARVMetaPropTbl& t, unsigned short id) { return t.GetMetaProp(id); }
    static bool Delete(CZARVMetaPropTbl& t, unsigned short id) { return t.DeleteMetaProp(id); }
};

template <>
struct IdCatalogue<CZARVTypedObjTbl> {
    static constexpr const char* kRoot = "typeobj";
    static CZARVPtr<CZARVTypedObj> New(unsigned short id) {
        return CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(id, "1|2", "|", "d"));
    }
    static bool Insert(CZARVTypedObjTbl& t, CZARVTypedObj* o) { return t.InsertTypedObj(o); }
    static CZARVTypedObj* Get(CZARVTypedObjTbl& t, unsigned short id) { return t.GetTypedObj(id); }
    static bool Delete(CZARVTypedObjTbl& t, unsigned short id) { return t.DeleteTypedObj(id); }
};

using MetaCatalogues = ::testing::Types<CZARVMetaPropTbl, CZARVTypedObjTbl>;
INSTANTIATE_TYPED_TEST_SUITE_P(Meta, IdCatalogueTest, MetaCatalogues);
