#include "catalogue/def_element.h"

#include <algorithm>

#include "catalogue/value_text.h"

namespace zarvqen {

bool WriteDefElem(CZARVXmlWriter& writer, XmlLevel level, const char* tag, const std::string& lead,
                  const _zarvVAR& init, int32_t input, const char* param, const char* desc) {
    std::string text = lead;
    text += ',';
    text += KindAndValueText(init);
    text += ',';
    text += std::to_string(static_cast<uint32_t>(input));
    if (!writer.Add(level, tag, text)) return false;
    writer.SetAttrib(level, "par", param);
    writer.SetAttrib(level, "desc", desc);
    return true;
}

bool ReadDefElem(const CZARVXmlElem& elem, size_t lead_count, DefElemParts& out) {
    // The pieces are read where they lie in one copy of the text, the
    // attributes where they lie in the document: catalogues of many
    // thousand elements pass here.
    if (lead_count > DefElemParts::kMaxLead) return false;
    const size_t count = lead_count + 3;
    const char* pieces[DefElemParts::kMaxLead + 3];
    out.text = elem.DataText();
    if (!CutCommaPieces(out.text, count, pieces)) return false;
    out.init = ValueFromKindText(pieces[lead_count], pieces[lead_count + 1]);
    out.input = ReadDecimal(pieces[lead_count + 2]);
    std::copy(pieces, pieces + lead_count, out.lead);
    out.param = elem.AttribText("par");
    out.desc = elem.AttribText("desc");
    return true;
}

}  // namespace zarvqen
