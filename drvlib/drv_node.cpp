#include "drvlib/drv_node.h"

#include "drvlib/internal/category_table.h"

namespace {
const char* OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

CZARVDrvNode::CZARVDrvNode() : ver("1.0.0") {}

CZARVDrvNode::CZARVDrvNode(const char* family_, const char* name_, const char* module_,
                           DRVTYPE type_, const char* ver_, const char* pseudodrv_,
                           const char* pseudoied_, const char* desc_, unsigned short io_)
    : family(OrEmpty(family_)),
      name(OrEmpty(name_)),
      module(OrEmpty(module_)),
      type(type_),
      ver(OrEmpty(ver_)),
      desc(OrEmpty(desc_)),
      pseudodrv(OrEmpty(pseudodrv_)),
      pseudoied(OrEmpty(pseudoied_)),
      io(io_) {}

CZARVDrvNode::~CZARVDrvNode() { Clear(CFG_ALL); }

bool CZARVDrvNode::InsertMetaProp(CZARVMetaProp* prop, CFGTYPE cat) {
    return m_sets.InsertMetaProp(prop, cat);
}
bool CZARVDrvNode::DeleteMetaProp(unsigned short no, CFGTYPE cat) {
    return m_sets.DeleteMetaProp(no, cat);
}
CZARVMetaProp* CZARVDrvNode::GetMetaProp(unsigned short no, CFGTYPE cat) {
    return m_sets.GetMetaProp(no, cat);
}
int CZARVDrvNode::QueryIOSet(CFGTYPE cat, CZARVDataSet<CZARVMetaProp>& out) {
    return m_sets.QueryIOSet(cat, out);
}
int CZARVDrvNode::GetFreeMetaNo(CFGTYPE cat) { return m_sets.GetFreeMetaNo(cat); }
void CZARVDrvNode::Clear(CFGTYPE cat) { m_sets.Clear(cat); }
bool CZARVDrvNode::Contains(CFGTYPE cat) { return zarvqen::NodeContains(io, cat); }
