#include "meta/def_element.h"

#include "meta/value_text.h"

namespace zarvqen {

bool WriteDefElem(CZARVXmlElem elem, const char* tag, const std::string& lead, const _zarvVAR& init,
                  int32_t input, const char* param, const char* desc) {
    std::string text = lead;
    text += ',';
    text += KindAndValueText(init);
    text += ',';
    text += std::to_string(static_cast<uint32_t>(input));
    if (!elem.Add(tag, text.c_str())) return false;
    elem.SetAttrib("par", param);
    elem.SetAttrib("desc", desc);
    return true;
}

bool ReadDefElem(const CZARVXmlElem& elem, size_t lead_count, DefElemParts& out) {
    // The pieces are read where they lie in one copy of the text: catalogues
    // of many thousand elements pass here.
    constexpr size_t kMaxPieces = 8;
    const size_t count = lead_count + 3;
    if (count > kMaxPieces) return false;
    _zarv_str data = elem.Data();
    const char* pieces[kMaxPieces];
    if (!CutCommaPieces(data.str(), count, pieces)) return false;
    out.init = ValueFromKindText(pieces[lead_count], pieces[lead_count + 1]);
    out.input = ReadDecimal(pieces[lead_count + 2]);
    out.lead.assign(pieces, pieces + lead_count);
    out.param = elem.Attrib("par");
    out.desc = elem.Attrib("desc");
    return true;
}

}  // namespace zarvqen
