// CZARVDrvNode: one driver of the driver library: its identifying texts,
// type code, io mask and the meta properties it defines for itself, filed
// in eleven categories.
//
// Fields are public and read and written directly. Category selectors 1 to 11
// have a property set each; their meta numbers are 900 to 929 for "ai" to
// "msg", 930 to 959 for "protocol" and 960 to 989 for "ied". Each set holds
// one reference on each of its properties; the same property may sit in
// several sets, each with its own reference. Contains() tests the io mask
// only, never the sets.
#ifndef DRVLIB_DRV_NODE_H_
#define DRVLIB_DRV_NODE_H_

#include "drvlib/category_sets.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "meta/meta_prop.h"
#include "zarvqen_export.h"

// Driver and task type codes: stored, saved and loaded unchanged; the
// library gives no value a meaning.
enum DRVTYPE : int {};
enum TSKTYPE : int {};

class ZARVQEN_API CZARVDrvNode : public CZARVObj {
public:
    enum CFGTYPE : int {
        CFG_BIT0 = 0,
        CFG_AI = 1,
        CFG_DI = 2,
        CFG_COUNT = 3,
        CFG_AO = 4,
        CFG_DO = 5,
        CFG_EVE = 6,
        CFG_SG = 7,
        CFG_CAL = 8,
        CFG_MSG = 9,
        CFG_PROTOCOL = 10,
        CFG_IED = 11,
        CFG_BIT15 = 12,
        CFG_ALL = 13,
    };
    using DRVTYPE = ::DRVTYPE;

    // Texts empty but `ver` "1.0.0"; type and io 0; sets empty.
    CZARVDrvNode();
    // `family`, `name`, `module` and `ver` must not be null and are copied
    // as given (an empty `ver` stays empty); the other texts are copied
    // when not null.
    CZARVDrvNode(const char* family, const char* name, const char* module, DRVTYPE type,
                 const char* ver, const char* pseudodrv, const char* pseudoied, const char* desc,
                 unsigned short io);
    // Releases every property (Clear(CFG_ALL)).
    ~CZARVDrvNode() override;

    // Takes a reference on `prop`; keeps it when `cat` is 1 to 11, the meta
    // number lies in the category's range and is not yet in its set. On
    // refusal the reference is given back and the result is false.
    bool InsertMetaProp(CZARVMetaProp* prop, CFGTYPE cat);
    bool DeleteMetaProp(unsigned short no, CFGTYPE cat);
    // Borrowed pointer, or null.
    CZARVMetaProp* GetMetaProp(unsigned short no, CFGTYPE cat);
    // -1 for an invalid category; else appends the set (taking references)
    // and returns the size of `out` afterwards.
    int QueryIOSet(CFGTYPE cat, CZARVDataSet<CZARVMetaProp>& out);
    // 65535 for an invalid category; else the lowest free number of its
    // range, or -1 when all are used.
    int GetFreeMetaNo(CFGTYPE cat);
    // 1 to 11: empties that set; CFG_ALL: every set; other values: nothing.
    void Clear(CFGTYPE cat);
    bool Contains(CFGTYPE cat);

    _zarv_str family;
    _zarv_str name;
    _zarv_str module;  // the key in the driver library
    DRVTYPE type{};
    _zarv_str ver;
    _zarv_str desc;
    _zarv_str pseudodrv;  // never interpreted
    _zarv_str pseudoied;  // never interpreted
    unsigned short io = 0;

private:
    zarvqen::CZARVCategorySets m_sets;
};

#endif  // DRVLIB_DRV_NODE_H_
