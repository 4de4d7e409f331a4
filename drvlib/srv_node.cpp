#include "drvlib/srv_node.h"

#include "drvlib/internal/category_table.h"

namespace {
const char* OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

CZARVSrvNode::CZARVSrvNode() : ver("1.0.0") {}

CZARVSrvNode::CZARVSrvNode(const char* name_, const char* module_, const char* ver_,
                           const char* pseudosrv_, const char* desc_, unsigned short io_)
    : name(OrEmpty(name_)),
      module(OrEmpty(module_)),
      ver(OrEmpty(ver_)),
      desc(OrEmpty(desc_)),
      pseudosrv(OrEmpty(pseudosrv_)),
      io(io_) {}

CZARVSrvNode::~CZARVSrvNode() { Clear(); }

bool CZARVSrvNode::InsertPar(CZARVMetaProp* prop) {
    return m_pars.Insert(prop, zarvqen::kParLow, zarvqen::kParHigh);
}
bool CZARVSrvNode::DeletePar(unsigned short no) { return m_pars.Delete(no); }
CZARVMetaProp* CZARVSrvNode::GetPar(unsigned short no) { return m_pars.Get(no); }
int CZARVSrvNode::QueryParameters(CZARVDataSet<CZARVMetaProp>& out) { return m_pars.Query(out); }
int CZARVSrvNode::GetFreeParNo() { return m_pars.FreeNo(zarvqen::kParLow, zarvqen::kParHigh); }
void CZARVSrvNode::Clear() { m_pars.Clear(); }
bool CZARVSrvNode::Contains(CFGTYPE cat) { return zarvqen::ServiceContains(io, cat); }
