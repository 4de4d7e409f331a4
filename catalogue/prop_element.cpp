#include "catalogue/prop_element.h"

#include <string>

#include "catalogue/def_element.h"
#include "catalogue/value_text.h"

namespace zarvqen {

namespace {
constexpr const char* kPropTag = "prop";
}  // namespace

bool WritePropElem(CZARVXmlWriter& writer, XmlLevel level, const CZARVMetaProp& prop,
                   ValidAttr valid) {
    _zarvVAR init;
    prop.GetInitValue(init);
    std::string lead = std::to_string(prop.GetID());
    lead += ',';
    lead += prop.GetMetaName();
    if (!WriteDefElem(writer, level, kPropTag, lead, init, prop.GetInputType(), prop.GetParameter(),
                      prop.GetDesc()))
        return false;
    if (valid == ValidAttr::kInclude)
        writer.SetAttrib(level, "valid", static_cast<int>(prop.GetValidType()));
    return true;
}

CZARVPtr<CZARVMetaProp> ReadPropElem(CMarkup& doc, XmlLevel level, ValidAttr valid) {
    CZARVXmlElem elem(doc, level);
    DefElemParts parts;
    if (!ReadDefElem(elem, 2, parts)) return {};
    int32_t valid_type = valid == ValidAttr::kInclude ? ReadDecimal(elem.AttribText("valid")) : 0;
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(ReadLow16(parts.lead[0]), parts.lead[1], parts.init,
                          static_cast<CZARVMetaProp::METAINPUTTYPE>(parts.input), parts.param,
                          parts.desc, static_cast<CZARVMetaProp::METAVALIDTYPE>(valid_type)));
}

}  // namespace zarvqen
