#include "drvlib/tsk_node.h"

#include "drvlib/internal/category_table.h"

namespace {
const char* OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

CZARVTskNode::CZARVTskNode() : ver("1.0.0") {}

CZARVTskNode::CZARVTskNode(const char* name_, const char* module_, TSKTYPE type_, const char* ver_,
                           const char* pseudotask_, const char* pseudoied_, const char* desc_,
                           unsigned short io_)
    : name(OrEmpty(name_)),
      module(OrEmpty(module_)),
      ver(OrEmpty(ver_)),
      desc(OrEmpty(desc_)),
      pseudotask(OrEmpty(pseudotask_)),
      pseudoied(OrEmpty(pseudoied_)),
      type(type_),
      io(io_) {}

CZARVTskNode::~CZARVTskNode() { Clear(CFG_ALL); }

// The operations are the driver node's: one implementation of the sets.
bool CZARVTskNode::InsertMetaProp(CZARVMetaProp* prop, CFGTYPE cat) {
    return m_sets.InsertMetaProp(prop, cat);
}
bool CZARVTskNode::DeleteMetaProp(unsigned short no, CFGTYPE cat) {
    return m_sets.DeleteMetaProp(no, cat);
}
CZARVMetaProp* CZARVTskNode::GetMetaProp(unsigned short no, CFGTYPE cat) {
    return m_sets.GetMetaProp(no, cat);
}
int CZARVTskNode::QueryIOSet(CFGTYPE cat, CZARVDataSet<CZARVMetaProp>& out) {
    return m_sets.QueryIOSet(cat, out);
}
int CZARVTskNode::GetFreeMetaNo(CFGTYPE cat) { return m_sets.GetFreeMetaNo(cat); }
void CZARVTskNode::Clear(CFGTYPE cat) { m_sets.Clear(cat); }
bool CZARVTskNode::Contains(CFGTYPE cat) { return zarvqen::NodeContains(io, cat); }
