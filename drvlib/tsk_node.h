// CZARVTskNode: one task of the driver library. It behaves as a driver node
// (drvlib/drv_node.h) whose categories 10 and 11 are named "taskpar" and
// "item" and whose texts are name, module, version, description and two
// uninterpreted pseudo texts.
#ifndef DRVLIB_TSK_NODE_H_
#define DRVLIB_TSK_NODE_H_

#include "drvlib/drv_node.h"

class ZARVQEN_API CZARVTskNode : public CZARVObj {
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
        CFG_TASKPAR = 10,
        CFG_ITEM = 11,
        CFG_BIT15 = 12,
        CFG_ALL = 13,
    };
    using TSKTYPE = ::TSKTYPE;

    // Texts empty but `ver` "1.0.0"; type and io 0; sets empty.
    CZARVTskNode();
    // `name`, `module` and `ver` must not be null; the other texts are
    // copied when not null.
    CZARVTskNode(const char* name, const char* module, TSKTYPE type, const char* ver,
                 const char* pseudotask, const char* pseudoied, const char* desc,
                 unsigned short io);
    ~CZARVTskNode() override;

    // As the driver node's operations of the same names.
    bool InsertMetaProp(CZARVMetaProp* prop, CFGTYPE cat);
    bool DeleteMetaProp(unsigned short no, CFGTYPE cat);
    CZARVMetaProp* GetMetaProp(unsigned short no, CFGTYPE cat);
    int QueryIOSet(CFGTYPE cat, CZARVDataSet<CZARVMetaProp>& out);
    int GetFreeMetaNo(CFGTYPE cat);
    void Clear(CFGTYPE cat);
    bool Contains(CFGTYPE cat);

    _zarv_str name;
    _zarv_str module;  // the key in the driver library
    _zarv_str ver;
    _zarv_str desc;
    _zarv_str pseudotask;  // never interpreted
    _zarv_str pseudoied;   // never interpreted
    TSKTYPE type{};
    unsigned short io = 0;

private:
    zarvqen::CZARVCategorySets m_sets;
};

#endif  // DRVLIB_TSK_NODE_H_
