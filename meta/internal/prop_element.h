// The property element: one meta property in a catalogue file.
//
//   <prop par="parameter" desc="description" valid="1">ID,name,kind,value,input</prop>
//
// The text is "%u,%s,%u,%s,%u": ID, meta name, value type code, value text
// (the variant's text conversion) and input type; numbers unsigned decimal,
// nothing escaped. The "valid" attribute is optional: the meta property
// table file writes and reads it, the driver library file does neither
// (its properties read back with valid type 0).
//
// Reading: unless the text has exactly five comma-separated pieces the
// element yields no record. The ID is the low 16 bits of the first piece by
// the decimal integer rule; the initial value follows the value text rules
// (catalogue/internal/value_text.h) for kind codes 0 to 7 and is empty for any other code;
// absent attributes read as empty texts (valid type 0).
#ifndef META_PROP_ELEMENT_H_
#define META_PROP_ELEMENT_H_

#include "catalogue/internal/catalogue_report.h"
#include "catalogue/internal/xml_catalogue.h"
#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_obj.h"
#include "meta/meta_prop.h"

namespace zarvqen {

// Whether the element carries the "valid" attribute.
enum class ValidAttr { kOmit, kInclude };

// Adds the property element of `prop` at `level` of the writer's document
// (as the next main element or the next child element) with its
// attributes. False when the document refuses the element or its text
// cannot be written (see CZARVXmlWriter).
bool WritePropElem(CZARVXmlWriter& writer, XmlLevel level, const CZARVMetaProp& prop,
                   ValidAttr valid);

// Reads the current element at `level` as a property element. Returns a new
// record (the caller's reference, held by the CZARVPtr) or null when the
// element is skipped. With ValidAttr::kOmit any "valid" attribute is ignored.
CZARVPtr<CZARVMetaProp> ReadPropElem(CMarkup& doc, XmlLevel level, ValidAttr valid);

// The same telling `report` what the read skips or reads otherwise than
// written (see ReadDefElem), an ID outside 0 to 65535, and with the "valid"
// attribute a valid type outside the 0 to 3 a configuration database keeps
// and an ID beyond the property numbers a database keeps (a note); without
// it, a note for a "valid" attribute that is ignored.
CZARVPtr<CZARVMetaProp> ReadPropElem(CMarkup& doc, XmlLevel level, ValidAttr valid,
                                     const CZARVCatalogueReport& report);

}  // namespace zarvqen

#endif  // META_PROP_ELEMENT_H_
