#include "catalogue/internal/def_element.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "catalogue/internal/value_text.h"

namespace zarvqen {

bool WriteDefElem(CZARVXmlWriter& writer, XmlLevel level, const char* tag, std::string& lead,
                  const _zarvVAR& init, int32_t input, const char* param, const char* desc) {
    std::string& text = lead;  // the whole element text from here on
    text += ',';
    AppendKindAndValueText(text, init);
    text += ',';
    AppendDecimal(text, static_cast<uint32_t>(input));
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
    const char* data = elem.DataText();
    const size_t size = std::strlen(data) + 1;
    char* text = out.short_text;
    if (size <= sizeof out.short_text) {
        std::memcpy(text, data, size);
    } else {
        out.long_text.assign(data, size - 1);
        text = out.long_text.data();
    }
    if (!CutCommaPieces(text, count, pieces)) return false;
    out.kind_text = pieces[lead_count];
    out.value_text = pieces[lead_count + 1];
    out.input_text = pieces[lead_count + 2];
    out.init = ValueFromKindText(out.kind_text, out.value_text);
    out.input = ReadDecimal(pieces[lead_count + 2]);
    std::copy(pieces, pieces + lead_count, out.lead);
    out.param = elem.AttribText("par");
    out.desc = elem.AttribText("desc");
    return true;
}

}  // namespace zarvqen

namespace zarvqen {

namespace {

// How the library writes the kind of an empty value (the empty kind -1 as
// an unsigned decimal).
constexpr const char* kEmptyKindText = "4294967295";

size_t PieceCount(const char* text) {
    if (!*text) return 0;
    size_t n = 1;
    for (const char* p = text; *p; ++p) n += *p == ',';
    return n;
}

void ReportKindAndValue(const CZARVCatalogueReport& report, int line, const std::string& owner,
                        const char* kind_text, const char* value_text) {
    int32_t kind = ReadDecimal(kind_text);
    if (IsTextKind(kind)) {
        report.ProblemIfAny(line,
                            [&] { return DecimalReadsAs(owner + ": kind", kind_text, false); });
        report.ProblemIfAny(line, [&] { return ValueTextReadsAs(owner, kind, value_text); });
        return;
    }
    // An empty value written with the empty kind reads back empty, as it was.
    std::string kind_str = kind_text;
    if ((kind_str == kEmptyKindText || kind_str == "-1") && !*value_text) return;
    report.Problem(line, [&] {
        std::string why = owner + ": unknown value kind " + QuotedText(kind_text) +
                          ", the initial value " + QuotedText(value_text) +
                          " is dropped (left empty)";
        if (DecimalReadsAs({}, kind_text, false).empty() &&
            (kind == _zarvVAR::VT_I8 || kind == _zarvVAR::VT_UI8))
            why += "; 64-bit values cannot be kept in catalogue files";
        return why;
    });
}

}  // namespace

bool ReadDefElem(const CZARVXmlElem& elem, size_t lead_count, DefElemParts& out,
                 const CZARVCatalogueReport& report, const DefElemWords& words) {
    bool read = ReadDefElem(elem, lead_count, out);
    if (!report.On()) return read;
    int line = elem.Line();
    if (!read) {
        report.Problem(line, [&] {
            size_t n = PieceCount(elem.DataText());
            std::string why =
                std::string(words.what) + " skipped: " + PieceCountText(n) + ", " + words.layout;
            if (n > lead_count + 3)
                why += " (a comma inside a name or text value cannot be read back)";
            return why;
        });
        return read;
    }
    std::string owner = std::string(words.what) + " " + out.lead[0];
    ReportKindAndValue(report, line, owner, out.kind_text, out.value_text);
    report.ProblemIfAny(
        line, [&] { return DecimalReadsAs(owner + ": input type", out.input_text, false); });
    return read;
}

}  // namespace zarvqen
