#include "tools/catalogue_check.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "drvlib/category_table.h"
#include "engine/db_file_format.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_str.h"
#include "catalogue/value_text.h"
#include "catalogue/xml_catalogue.h"
#include "tools/value_format.h"

using zarvqen::XmlLevel;

namespace zarvtool {

namespace {

// Meta numbers a configuration database can keep (14 bits, below the end mark).
constexpr unsigned kMaxStorableNumber = zarvdbfile::kMaxPropertyNumber;
// How the library writes the kind of an empty value (the empty kind -1 as an
// unsigned decimal).
constexpr const char* kEmptyKindText = "4294967295";

// The current element at one level of the document: its text, attributes
// and line.
class Elem {
public:
    Elem(CMarkup& doc, XmlLevel level) : m_doc(doc), m_level(level) {}
    bool Main() const { return m_level == XmlLevel::kMain; }
    std::string Tag() const {
        return Main() ? m_doc.GetTagName().str() : m_doc.GetChildTagName().str();
    }
    std::string Data() const { return Main() ? m_doc.GetData().str() : m_doc.GetChildData().str(); }
    std::string Attrib(const char* name) const {
        return Main() ? m_doc.GetAttrib(name).str() : m_doc.GetChildAttrib(name).str();
    }
    bool Has(const char* name) const {
        return Main() ? m_doc.HasAttrib(name) : m_doc.HasChildAttrib(name);
    }
    int Line() const { return Main() ? m_doc.GetLine() : m_doc.GetChildLine(); }

private:
    CMarkup& m_doc;
    XmlLevel m_level;
};

// Reports an integer text that the decimal integer rule reads as another
// number than the text says (junk, blanks, out of range). With `low16` the
// number must lie in 0 to 65535, since only its low 16 bits are kept.
void CheckInt(Findings& f, int line, const std::string& what, const std::string& text, bool low16) {
    int32_t lib = zarvqen::ReadDecimal(text.c_str());
    int64_t strict = 0;
    bool clean = ParseSigned(text, INT64_MIN, INT64_MAX, strict);
    int64_t reads = low16 ? (lib & 0xFFFF) : lib;
    bool ok = clean && (low16 ? strict >= 0 && strict <= 0xFFFF
                              : strict >= INT32_MIN && strict <= INT32_MAX);
    if (!ok) f.Problem(line, what + " " + Quoted(text) + " reads as " + std::to_string(reads));
}

// Reports a value text that the value text rule of `kind` (0 to 7) reads as
// another value than the text says.
void CheckValueText(Findings& f, int line, const std::string& owner, int kind,
                    const std::string& text) {
    _zarvVAR lib;
    zarvqen::ValueFromText(kind, text.c_str(), lib);
    _zarvVAR strict;
    std::string why;
    bool parsed = ParseValue(kind, text, strict, why);
    // Floating texts are only asked to be numbers: rounding through double
    // may differ in the last bit from a direct single-precision read.
    bool floating = kind == _zarvVAR::VT_R4 || kind == _zarvVAR::VT_R8;
    if (parsed && (floating || SameValue(lib, strict))) return;
    f.Problem(line, owner + ": " + KindName(kind) + " value " + Quoted(text) + " reads as " +
                        DisplayValue(lib));
}

// The kind and value pieces of a definition element. An empty value
// written with the empty kind reads back empty, as it was: no finding.
void CheckKindAndValue(Findings& f, int line, const std::string& owner,
                       const std::string& kind_text, const std::string& value_text) {
    int32_t kind = zarvqen::ReadDecimal(kind_text.c_str());
    if (zarvqen::IsTextKind(kind)) {
        CheckInt(f, line, owner + ": kind", kind_text, false);
        CheckValueText(f, line, owner, kind, value_text);
        return;
    }
    if ((kind_text == kEmptyKindText || kind_text == "-1") && value_text.empty()) return;
    std::string why = owner + ": unknown value kind " + Quoted(kind_text) + ", the initial value " +
                      Quoted(value_text) + " is dropped (left empty)";
    int64_t code = 0;
    if (ParseSigned(kind_text, INT64_MIN, INT64_MAX, code) &&
        (code == _zarvVAR::VT_I8 || code == _zarvVAR::VT_UI8))
        why += "; 64-bit values cannot be kept in catalogue files";
    f.Problem(line, why);
}

// The definition element shared by properties ("ID,name,kind,value,input")
// and table fields ("name,kind,value,input"). Returns its pieces, or
// nothing when the loader skips the element.
std::optional<std::vector<_zarv_str>> CheckDefElem(Findings& f, const Elem& elem, size_t lead,
                                                   const char* what, const char* layout) {
    std::vector<_zarv_str> pieces;
    int line = elem.Line();
    size_t n = static_cast<size_t>(SplitStrByComma(elem.Data().c_str(), pieces));
    if (n != lead + 3) {
        std::string why = std::string(what) + " skipped: its text has " + std::to_string(n) +
                          " comma-separated fields, " + layout;
        if (n > lead + 3) why += " (a comma inside a name or text value cannot be read back)";
        f.Problem(line, why);
        return std::nullopt;
    }
    std::string owner = std::string(what) + " " + pieces[0].str();
    CheckKindAndValue(f, line, owner, pieces[lead].str(), pieces[lead + 1].str());
    CheckInt(f, line, owner + ": input type", pieces[lead + 2].str(), false);
    return pieces;
}

// A property element ("prop") of the meta property table (with "valid") or
// of the driver library (without). Returns its ID unless it is skipped.
std::optional<uint16_t> CheckPropElem(Findings& f, const Elem& elem, bool with_valid) {
    auto pieces = CheckDefElem(f, elem, 2, "prop", "a property needs 5 (ID,name,kind,value,input)");
    if (!pieces) return std::nullopt;
    int line = elem.Line();
    const std::string id_text = (*pieces)[0].str();
    CheckInt(f, line, "prop ID", id_text, true);
    uint16_t id = zarvqen::ReadLow16(id_text.c_str());
    std::string owner = "prop " + std::to_string(id);
    if (with_valid) {
        std::string valid = elem.Attrib("valid");
        if (!valid.empty()) {
            CheckInt(f, line, owner + ": valid type", valid, false);
            int32_t v = zarvqen::ReadDecimal(valid.c_str());
            if (!CZARVMPInfo::IsValidType(v))
                f.Problem(line, owner + ": valid type " + std::to_string(v) +
                                    " does not fit the 2 bits a configuration database keeps (0 "
                                    "to 3); a database loaded with this table keeps the valid "
                                    "type its file stores for property " +
                                    std::to_string(id));
        }
        if (id > kMaxStorableNumber)
            f.Note(line, owner + ": a configuration database keeps property numbers up to " +
                             std::to_string(kMaxStorableNumber) + " only");
    } else if (elem.Has("valid")) {
        f.Note(line, owner +
                         ": the driver library ignores the \"valid\" attribute; the property "
                         "loads with valid type 0");
    }
    return id;
}

void PassedOver(Findings& f, int line, const std::string& tag, const std::string& where) {
    f.Problem(line, "element <" + tag + "> passed over: " + where);
}

// Records the first line of each key; reports a later one as dropped.
// `key_word` names the key ("ID", "name", "module"...).
template <class Key>
bool FirstWins(Findings& f, std::map<Key, int>& seen, const Key& key, int line,
               const std::string& what, const char* key_word,
               const std::string& dropped_with = "") {
    auto [it, fresh] = seen.emplace(key, line);
    if (fresh) return true;
    f.Problem(line, what + " dropped" + dropped_with + ": its " + key_word +
                        " is already used on line " + std::to_string(it->second) +
                        " (the first one wins)");
    return false;
}

// Finds the first top-level element and enters it. Loaders of these files
// take the root whatever its name; another name than the usual one is
// worth a note. False for a document without an element.
bool EnterAnyRoot(CMarkup& doc, const char* usual, Findings& f) {
    if (!doc.FindElem()) return false;
    std::string tag = doc.GetTagName().str();
    if (tag != usual)
        f.Note(doc.GetLine(), "root element <" + tag + "> loads like <" + usual + ">");
    return doc.IntoElem();
}

void CheckMetaProps(CMarkup& doc, Findings& f) {
    if (!EnterAnyRoot(doc, "meta", f)) return;
    std::map<uint16_t, int> ids;
    Elem elem(doc, XmlLevel::kMain);
    while (doc.FindElem()) {
        if (elem.Tag() != "prop") {
            PassedOver(f, elem.Line(), elem.Tag(), "the table reads only <prop> elements");
            continue;
        }
        if (auto id = CheckPropElem(f, elem, true))
            FirstWins(f, ids, *id, elem.Line(), "prop " + std::to_string(*id), "ID");
    }
}

void CheckMetaTables(CMarkup& doc, Findings& f) {
    if (!doc.FindElem("metatbl")) {
        doc.ResetPos();
        if (doc.FindElem())
            f.Problem(doc.GetLine(), "the root element is <" + doc.GetTagName().str() +
                                         ">, not <metatbl>: the library refuses the file");
        else
            f.Problem(0,
                      "no <metatbl> element: the library refuses the file (an empty "
                      "collection is saved this way and does not load back)");
        return;
    }
    doc.IntoElem();
    std::map<std::string, int> tables;
    Elem table(doc, XmlLevel::kMain);
    Elem field(doc, XmlLevel::kChild);
    while (doc.FindElem()) {
        std::string name = table.Tag();
        if (!FirstWins(f, tables, name, table.Line(), "table <" + name + ">", "name",
                       " with its fields"))
            continue;
        std::map<std::string, int> fields;
        while (doc.FindChildElem()) {
            if (field.Tag() != "prop") {
                PassedOver(f, field.Line(), field.Tag(),
                           "only <prop> fields are read in table <" + name + ">");
                continue;
            }
            auto pieces =
                CheckDefElem(f, field, 1, "field", "a table field needs 4 (name,kind,value,input)");
            if (pieces)
                FirstWins(f, fields, (*pieces)[0].str(), field.Line(),
                          "field " + Quoted((*pieces)[0].str()) + " of table <" + name + ">",
                          "name");
        }
    }
}

void CheckTypedObjs(CMarkup& doc, Findings& f) {
    if (!EnterAnyRoot(doc, "typeobj", f)) return;
    std::map<uint16_t, int> ids;
    Elem elem(doc, XmlLevel::kMain);
    std::vector<_zarv_str> pieces, metas;
    while (doc.FindElem()) {
        int line = elem.Line();
        if (elem.Tag() != "prop") {
            PassedOver(f, line, elem.Tag(), "the table reads only <prop> elements");
            continue;
        }
        int n = SplitStrByComma(elem.Data().c_str(), pieces);
        if (n != 2) {
            f.Problem(line, "prop skipped: its text has " + std::to_string(n) +
                                " comma-separated fields, a typed object needs 2 (ID,meta "
                                "numbers joined by |)");
            continue;
        }
        CheckInt(f, line, "typed object ID", pieces[0].str(), true);
        uint16_t id = zarvqen::ReadLow16(pieces[0]);
        SplitStrByStr(pieces[1], "|", metas);
        for (const _zarv_str& meta : metas)
            CheckInt(f, line, "typed object " + std::to_string(id) + ": meta number", meta.str(),
                     true);
        FirstWins(f, ids, id, line, "typed object " + std::to_string(id), "ID");
    }
}

// The selector (1 to 11) of a category tag of a driver or task node; 0 for
// any other tag.
int CategoryOfTag(const std::string& tag, bool task) {
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel) {
        const zarvqen::CategoryInfo* info = zarvqen::FindCategory(sel);
        if (info && tag == (task ? info->tsk_tag : info->drv_tag)) return sel;
    }
    return 0;
}

std::string CategoryList(bool task) {
    std::string out;
    for (int sel = zarvqen::kFirstCategory; sel < zarvqen::kFirstCategory + zarvqen::kCategoryCount;
         ++sel) {
        const zarvqen::CategoryInfo* info = zarvqen::FindCategory(sel);
        if (!out.empty()) out += ", ";
        out += task ? info->tsk_tag : info->drv_tag;
    }
    return out;
}

// The "prop" children of the current main element (a category or "par"),
// whose meta numbers must lie in [low, high] and be new in `seen`.
void CheckPropList(CMarkup& doc, Findings& f, const std::string& owner, uint16_t low, uint16_t high,
                   std::map<uint16_t, int>& seen) {
    Elem prop(doc, XmlLevel::kChild);
    while (doc.FindChildElem()) {
        if (prop.Tag() != "prop") {
            PassedOver(f, prop.Line(), prop.Tag(), "only <prop> elements are read in " + owner);
            continue;
        }
        auto id = CheckPropElem(f, prop, false);
        if (!id) continue;
        std::string what = "prop " + std::to_string(*id) + " of " + owner;
        if (*id < low || *id > high)
            f.Problem(prop.Line(), what + " dropped: its meta numbers are " + std::to_string(low) +
                                       " to " + std::to_string(high));
        else
            FirstWins(f, seen, *id, prop.Line(), what, "meta number");
    }
}

void CheckCategories(CMarkup& doc, Findings& f, const std::string& node, bool task) {
    std::map<int, std::map<uint16_t, int>> seen;
    Elem child(doc, XmlLevel::kChild);
    while (doc.FindChildElem()) {
        std::string tag = child.Tag();
        int sel = CategoryOfTag(tag, task);
        if (sel == 0) {
            PassedOver(f, child.Line(), tag,
                       "not a category of " + node + " (" + CategoryList(task) + ")");
            continue;
        }
        const zarvqen::CategoryInfo* info = zarvqen::FindCategory(sel);
        if (!doc.IntoElem()) continue;
        CheckPropList(doc, f, "category '" + tag + "' of " + node, info->low, info->high,
                      seen[sel]);
        doc.OutOfElem();
    }
}

void CheckParameters(CMarkup& doc, Findings& f, const std::string& node) {
    std::map<uint16_t, int> seen;
    Elem child(doc, XmlLevel::kChild);
    while (doc.FindChildElem()) {
        if (child.Tag() != "par") {
            PassedOver(f, child.Line(), child.Tag(), "only <par> elements are read in " + node);
            continue;
        }
        if (!doc.IntoElem()) continue;
        CheckPropList(doc, f, "the parameters of " + node, zarvqen::kParLow, zarvqen::kParHigh,
                      seen);
        doc.OutOfElem();
    }
}

void CheckDrvLib(CMarkup& doc, Findings& f) {
    if (!EnterAnyRoot(doc, "driverlib", f)) return;
    static const char* const kTags[3] = {"metadrv", "metasrv", "metatask"};
    static const char* const kWhat[3] = {"driver", "service", "task"};
    std::map<std::string, int> modules[3];
    Elem elem(doc, XmlLevel::kMain);
    while (doc.FindElem()) {
        std::string tag = elem.Tag();
        int kind = 0;
        while (kind < 3 && tag != kTags[kind]) ++kind;
        int line = elem.Line();
        if (kind == 3) {
            PassedOver(f, line, tag, "the library reads only <metadrv>, <metasrv> and <metatask>");
            continue;
        }
        std::string node = std::string(kWhat[kind]) + " " + Quoted(elem.Attrib("module"));
        if (elem.Has("io")) CheckInt(f, line, node + ": io mask", elem.Attrib("io"), true);
        if (kind != 1 && elem.Has("type"))
            CheckInt(f, line, node + ": type", elem.Attrib("type"), false);
        if (!FirstWins(f, modules[kind], elem.Attrib("module"), line, node, "module",
                       " with its properties"))
            continue;
        if (kind == 1)
            CheckParameters(doc, f, node);
        else
            CheckCategories(doc, f, node, kind == 2);
    }
}

void CheckPseudos(CMarkup& doc, Findings& f) {
    if (!EnterAnyRoot(doc, "pseudos", f)) return;
    std::map<uint16_t, int> ids;
    Elem elem(doc, XmlLevel::kMain);
    Elem dat(doc, XmlLevel::kChild);
    while (doc.FindElem()) {
        int line = elem.Line();
        if (elem.Tag() != "pseudo") {
            PassedOver(f, line, elem.Tag(), "the collection reads only <pseudo> elements");
            continue;
        }
        if (!elem.Has("id"))
            f.Problem(line, "pseudo without an \"id\" attribute reads as ID 0");
        else
            CheckInt(f, line, "pseudo id", elem.Attrib("id"), true);
        uint16_t id = zarvqen::ReadLow16(elem.Attrib("id").c_str());
        std::string owner = "pseudo " + std::to_string(id);
        if (!FirstWins(f, ids, id, line, owner, "ID", " with its values")) continue;
        std::map<uint16_t, int> metas;
        while (doc.FindChildElem()) {
            int dline = dat.Line();
            if (dat.Tag() != "dat") {
                PassedOver(f, dline, dat.Tag(), "only <dat> elements are read in " + owner);
                continue;
            }
            std::string vt = dat.Attrib("vt");
            std::string mtno = dat.Attrib("mtno");
            uint16_t meta = zarvqen::ReadLow16(mtno.c_str());
            std::string what = owner + ", meta number " + std::to_string(meta);
            if (!dat.Has("mtno"))
                f.Problem(dline, owner + ": dat without \"mtno\" reads as meta number 0");
            else
                CheckInt(f, dline, owner + ": mtno", mtno, true);
            if (!dat.Has("vt"))
                f.Problem(dline, what + ": dat without \"vt\" reads as kind 0 (bool)");
            else
                CheckInt(f, dline, what + ": vt", vt, false);
            int32_t kind = zarvqen::ReadDecimal(vt.c_str());
            if (!zarvqen::IsTextKind(kind)) {
                std::string why = what + ": dropped, unknown value kind " + Quoted(vt);
                if (kind == _zarvVAR::VT_EMPTY)
                    why += " (an empty value, which the file cannot carry)";
                f.Problem(dline, why);
                continue;
            }
            CheckValueText(f, dline, what, kind, dat.Attrib("val"));
            FirstWins(f, metas, meta, dline, what, "meta number");
        }
    }
}

}  // namespace

void CheckCatalogue(const std::string& path, FileKind kind, Findings& out) {
    CMarkup doc;
    if (!doc.Load(path.c_str())) {
        out.Problem(0, "the XML document cannot be loaded");
        return;
    }
    switch (kind) {
        case FileKind::kMetaProps:
            return CheckMetaProps(doc, out);
        case FileKind::kMetaTables:
            return CheckMetaTables(doc, out);
        case FileKind::kTypedObjs:
            return CheckTypedObjs(doc, out);
        case FileKind::kDrvLib:
            return CheckDrvLib(doc, out);
        case FileKind::kPseudos:
            return CheckPseudos(doc, out);
        default:
            return;
    }
}

}  // namespace zarvtool
