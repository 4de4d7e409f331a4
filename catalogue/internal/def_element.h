// The definition element: the XML form that the property element and the
// table field element share. Its text is the leading pieces (a property's
// ID and name, or a field's name), then the value type code, the value text
// and the input type, joined by commas with nothing quoted or escaped; its
// attributes are "par" (parameter) and "desc" (description), in that order.
// A text that does not split into exactly the expected number of pieces is
// no element: a name or text value holding a comma is written but cannot be
// read back.
#ifndef CATALOGUE_DEF_ELEMENT_H_
#define CATALOGUE_DEF_ELEMENT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/xml_catalogue.h"
#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarv_var.h"

namespace zarvqen {

// What one definition element holds. The texts are borrowed: the pieces lie
// in the object's own copy of the text, the attributes in the document,
// which must stay unchanged while they are used (readers build their object
// from them at once). Not copyable, since the pieces point into the object
// itself.
struct DefElemParts {
    static constexpr size_t kMaxLead = 5;
    DefElemParts() = default;
    DefElemParts(const DefElemParts&) = delete;
    DefElemParts& operator=(const DefElemParts&) = delete;

    // The element's text, cut at its commas: in `short_text` when it fits
    // (no allocation for the usual element), else in `long_text`.
    char short_text[128];
    std::string long_text;
    const char* lead[kMaxLead] = {};  // the leading pieces, in order
    const char* kind_text = "";       // the kind, value and input pieces
    const char* value_text = "";
    const char* input_text = "";
    _zarvVAR init;  // empty when the kind code is not 0 to 7
    int32_t input = 0;
    const char* param = "";
    const char* desc = "";
};

// Adds element `tag` at `level` with the text
// "<lead>,<kind>,<value text>,<input>" (input as an unsigned decimal) and the
// attributes "par" and "desc". `lead` holds the leading pieces joined by
// commas, in the writer's TextBuffer or elsewhere; the rest of the text is
// appended to it. False when the document refuses the element or its text
// cannot be written (a value text holding a NUL byte, which spoils the save).
bool WriteDefElem(CZARVXmlWriter& writer, XmlLevel level, const char* tag, std::string& lead,
                  const _zarvVAR& init, int32_t input, const char* param, const char* desc);

// Reads the current element at `elem`'s level. False (and `out` unspecified)
// unless its text has exactly `lead_count` + 3 pieces; `lead_count` is at
// most DefElemParts::kMaxLead.
bool ReadDefElem(const CZARVXmlElem& elem, size_t lead_count, DefElemParts& out);

// How a reporting read names the element: `what` ("prop", "field") and the
// layout its text needs ("a property needs 5 (ID,name,kind,value,input)").
struct DefElemWords {
    const char* what;
    const char* layout;
};

// ReadDefElem telling `report` about the element: a text with another number
// of pieces (the element is skipped), an unknown value kind (the initial
// value is dropped), and kind, value and input texts that read as something
// else than they spell. The result and `out` are those of ReadDefElem.
bool ReadDefElem(const CZARVXmlElem& elem, size_t lead_count, DefElemParts& out,
                 const CZARVCatalogueReport& report, const DefElemWords& words);

}  // namespace zarvqen

#endif  // CATALOGUE_DEF_ELEMENT_H_
