#include "meta/internal/prop_element.h"

#include <string>

#include "catalogue/internal/def_element.h"
#include "catalogue/internal/value_text.h"
#include "host/zarvkernel/mp_info.h"

namespace zarvqen {

namespace {
constexpr const char* kPropTag = "prop";
}  // namespace

bool WritePropElem(CZARVXmlWriter& writer, XmlLevel level, const CZARVMetaProp& prop,
                   ValidAttr valid) {
    _zarvVAR init;
    prop.GetInitValue(init);
    std::string& text = writer.TextBuffer();
    AppendDecimal(text, prop.GetID());
    text += ',';
    text += prop.GetMetaName();
    if (!WriteDefElem(writer, level, kPropTag, text, init, prop.GetInputType(), prop.GetParameter(),
                      prop.GetDesc()))
        return false;
    if (valid == ValidAttr::kInclude)
        writer.SetAttrib(level, "valid", static_cast<int>(prop.GetValidType()));
    return true;
}

CZARVPtr<CZARVMetaProp> ReadPropElem(CMarkup& doc, XmlLevel level, ValidAttr valid) {
    return ReadPropElem(doc, level, valid, CZARVCatalogueReport(nullptr));
}

namespace {

void ReportProp(const CZARVXmlElem& elem, const DefElemParts& parts, ValidAttr valid,
                const CZARVCatalogueReport& report) {
    int line = elem.Line();
    report.ProblemIfAny(line, [&] { return DecimalReadsAs("prop ID", parts.lead[0], true); });
    uint16_t id = ReadLow16(parts.lead[0]);
    std::string owner = "prop " + std::to_string(id);
    if (valid == ValidAttr::kOmit) {
        if (elem.HasAttrib("valid"))
            report.Note(line, [&] {
                return owner +
                       ": the driver library ignores the \"valid\" attribute; the property "
                       "loads with valid type 0";
            });
        return;
    }
    const char* valid_text = elem.AttribText("valid");
    if (*valid_text) {
        report.ProblemIfAny(
            line, [&] { return DecimalReadsAs(owner + ": valid type", valid_text, false); });
        int32_t v = ReadDecimal(valid_text);
        if (!CZARVMPInfo::IsValidType(v))
            report.Problem(line, [&] {
                return owner + ": valid type " + std::to_string(v) +
                       " does not fit the 2 bits a configuration database keeps (0 to 3); a "
                       "database loaded with this table keeps the valid type its file stores "
                       "for property " +
                       std::to_string(id);
            });
    }
    if (id > CZARVMPInfo::kMaxStoredPropNumber)
        report.Note(line, [&] {
            return owner + ": a configuration database keeps property numbers up to " +
                   std::to_string(CZARVMPInfo::kMaxStoredPropNumber) + " only";
        });
}

}  // namespace

CZARVPtr<CZARVMetaProp> ReadPropElem(CMarkup& doc, XmlLevel level, ValidAttr valid,
                                     const CZARVCatalogueReport& report) {
    CZARVXmlElem elem(doc, level);
    DefElemParts parts;
    if (!ReadDefElem(elem, 2, parts, report,
                     {"prop", "a property needs 5 (ID,name,kind,value,input)"}))
        return {};
    if (report.On()) ReportProp(elem, parts, valid, report);
    int32_t valid_type = valid == ValidAttr::kInclude ? ReadDecimal(elem.AttribText("valid")) : 0;
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(ReadLow16(parts.lead[0]), parts.lead[1], parts.init,
                          static_cast<CZARVMetaProp::METAINPUTTYPE>(parts.input), parts.param,
                          parts.desc, static_cast<CZARVMetaProp::METAVALIDTYPE>(valid_type)));
}

}  // namespace zarvqen
