#include "meta/meta_table.h"

#include <cstdint>
#include <string>
#include <utility>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/def_element.h"
#include "catalogue/internal/value_text.h"
#include "catalogue/internal/xml_catalogue.h"

namespace {

constexpr const char* kRootTag = "metatbl";
constexpr const char* kFieldTag = "prop";
constexpr unsigned kGeneratedNames = 65535;  // "TBL0" to "TBL65534"

// The field element lives inside its node element, as a child element.
void WriteFieldElem(zarvqen::CZARVXmlWriter& writer, const CZARVTableField& field) {
    _zarvVAR init;
    field.GetInitValue(init);
    std::string& lead = writer.TextBuffer();
    lead += field.GetFieldName();
    zarvqen::WriteDefElem(writer, zarvqen::XmlLevel::kChild, kFieldTag, lead, init,
                          field.GetInputType(), field.GetParameter(), field.GetDesc());
}

// A new field (the caller's reference) or null when the element is skipped.
CZARVPtr<CZARVTableField> ReadFieldElem(CMarkup& doc, const zarvqen::CZARVCatalogueReport& report) {
    zarvqen::DefElemParts parts;
    if (!zarvqen::ReadDefElem(zarvqen::CZARVXmlElem(doc, zarvqen::XmlLevel::kChild), 1, parts,
                              report, {"field", "a table field needs 4 (name,kind,value,input)"}))
        return {};
    return CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField(
        parts.lead[0], parts.init, static_cast<CZARVTableField::FLDINPUTTYPE>(parts.input),
        parts.param, parts.desc));
}

}  // namespace

CZARVMetaTable::CZARVMetaTable(const char* path) {
    if (path) LoadFromFile(path);
}

CZARVMetaTable::~CZARVMetaTable() { Clear(); }

bool CZARVMetaTable::StoreNode(const char* name, CZARVPtr<CZARVTableNode> node) {
    if (!name || !m_nodes.emplace(name, node.get()).second) return false;
    node.release();  // the map keeps the reference
    return true;
}

CZARVTableNode* CZARVMetaTable::CreateNewNode(const char* name) {
    CZARVTableNode* node = new CZARVTableNode;
    return StoreNode(name, CZARVPtr<CZARVTableNode>::Adopt(node)) ? node : nullptr;
}

CZARVTableNode* CZARVMetaTable::CreateNewNode(_zarv_str& name) {
    for (unsigned n = 0; n < kGeneratedNames; ++n) {
        name.Format("TBL%u", n);
        if (!m_nodes.contains(name.str())) return CreateNewNode(name.c_str());
    }
    return nullptr;
}

bool CZARVMetaTable::DeleteNode(const char* name) {
    if (!name) return false;
    auto it = m_nodes.find(name);
    if (it == m_nodes.end()) return false;
    CZARVTableNode* node = it->second;
    m_nodes.erase(it);
    node->Release();
    return true;
}

bool CZARVMetaTable::RenameNode(const char* old_name, const char* new_name) {
    if (!old_name || !new_name || m_nodes.contains(new_name)) return false;
    auto entry = m_nodes.extract(old_name);
    if (entry.empty()) return false;
    entry.key() = new_name;
    m_nodes.insert(std::move(entry));
    return true;
}

CZARVTableNode* CZARVMetaTable::GetTableNode(const char* name) const {
    if (!name) return nullptr;
    auto it = m_nodes.find(name);
    return it == m_nodes.end() ? nullptr : it->second;
}

int CZARVMetaTable::GetNodeNameList(std::vector<std::string>& names) const {
    for (const auto& [name, node] : m_nodes) names.push_back(name);
    return static_cast<int>(names.size());
}

void CZARVMetaTable::Clear() {
    NodeMap nodes;
    nodes.swap(m_nodes);
    for (auto& [name, node] : nodes) node->Release();
}

bool CZARVMetaTable::LoadFromFile(const char* path) { return LoadFromFile(path, nullptr); }

bool CZARVMetaTable::LoadFromFile(const char* path, CZARVLoadReporter* reporter) {
    const zarvqen::CZARVCatalogueReport report(reporter);
    return zarvqen::LoadXmlCatalogue(
        path, {kRootTag, false}, [this] { Clear(); },
        [this, &report](CMarkup& doc) {
            zarvqen::CZARVFirstLines<std::string> tables(report);
            while (doc.FindElem()) {
                _zarv_str name = doc.GetTagName();
                auto node = CZARVPtr<CZARVTableNode>::Adopt(new CZARVTableNode);
                if (report.On() && m_nodes.contains(name.str())) {
                    // Its fields go with it: not worth telling one by one.
                    tables.Taken(
                        false, name.str(), doc.GetLine(),
                        [&] { return "table <" + name.str() + ">"; }, "name", " with its fields");
                    continue;
                }
                ReadFields(doc, *node, name, report);
                bool stored = StoreNode(name, std::move(node));
                if (report.On())
                    tables.Taken(
                        stored, name.str(), doc.GetLine(), [] { return std::string(); }, "name");
            }
        },
        reporter);
}

void CZARVMetaTable::ReadFields(CMarkup& doc, CZARVTableNode& node, const char* table,
                                const zarvqen::CZARVCatalogueReport& report) {
    zarvqen::CZARVFirstLines<std::string> names(report);
    // Without a reporter only the field elements are visited.
    while (doc.FindChildElem(report.On() ? nullptr : kFieldTag)) {
        if (report.On() && doc.GetChildTagName() != kFieldTag) {
            report.PassedOver(doc.GetChildLine(), doc.GetChildTagName().str(), [&] {
                return "only <prop> fields are read in table <" + std::string(table) + ">";
            });
            continue;
        }
        CZARVPtr<CZARVTableField> field = ReadFieldElem(doc, report);
        if (!field) continue;
        const std::string name = report.On() ? field->GetFieldName() : std::string();
        names.Taken(
            node.AddField(field.get()), name, report.ChildLine(doc),
            [&] {
                return "field " + zarvqen::QuotedText(name.c_str()) + " of table <" + table + ">";
            },
            "name");
    }
}

bool CZARVMetaTable::SaveToFile(const char* path, const char* version, const char* encoding) {
    const zarvqen::XmlCatalogueFrame frame{kRootTag, !m_nodes.empty(), true};
    return zarvqen::SaveXmlCatalogue(
        path, version, encoding, frame, [this](zarvqen::CZARVXmlWriter& writer) {
            for (const auto& [name, node] : m_nodes) {
                // A name that is no valid XML name leaves its node out.
                if (!writer.Add(zarvqen::XmlLevel::kMain, name.c_str())) continue;
                CZARVTableNode::iterator it = node->GetFirst();
                while (const CZARVTableField* field = node->GetNext(it))
                    WriteFieldElem(writer, *field);
            }
        });
}
