// CZARVSrvNode: one service of the driver library: identifying texts, an io
// mask and one set of parameters, meta properties numbered 930 to 959. The
// set holds one reference on each parameter.
#ifndef DRVLIB_SRV_NODE_H_
#define DRVLIB_SRV_NODE_H_

#include "drvlib/prop_set.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_str.h"
#include "meta/meta_prop.h"
#include "zarvqen_export.h"

class ZARVQEN_API CZARVSrvNode : public CZARVObj {
public:
    // Used only by Contains(): 0 to 9 test the io bits of the driver node's
    // selectors of the same values, CFG_ALL any bit but bit 0.
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
        CFG_ALL = 10,
    };

    // Texts empty but `ver` "1.0.0"; io 0; no parameters.
    CZARVSrvNode();
    // `name`, `module` and `ver` must not be null; `pseudosrv` and `desc`
    // are copied when not null.
    CZARVSrvNode(const char* name, const char* module, const char* ver, const char* pseudosrv,
                 const char* desc, unsigned short io);
    // Releases every parameter.
    ~CZARVSrvNode() override;

    // Takes a reference on `prop`; keeps it when its number is 930 to 959 and
    // not yet present, else gives it back and returns false.
    bool InsertPar(CZARVMetaProp* prop);
    bool DeletePar(unsigned short no);
    CZARVMetaProp* GetPar(unsigned short no);
    // Appends every parameter (taking references); returns the size of `out`.
    int QueryParameters(CZARVDataSet<CZARVMetaProp>& out);
    // The lowest free number of 930 to 959, or -1.
    int GetFreeParNo();
    void Clear();
    bool Contains(CFGTYPE cat);

    _zarv_str name;
    _zarv_str module;  // the key in the driver library
    _zarv_str ver;
    _zarv_str desc;
    _zarv_str pseudosrv;  // never interpreted
    unsigned short io = 0;

private:
    zarvqen::CZARVPropSet m_pars;
};

#endif  // DRVLIB_SRV_NODE_H_
