// Shared pieces of the robustness tests: one description per catalogue
// class (a file of its kind with a chosen attribute value and text), and
// configuration databases large enough to take several writes to save.
#ifndef TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_
#define TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_

#include <gtest/gtest.h>

#include <string>

#include "drvlib/drv_lib.h"
#include "engine/db_engine.h"
#include "engine/gmpid.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvlib/zarv_obj.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"
#include "support/temp_dir.h"

// How each catalogue's file carries hostile texts: `Body` builds the one
// entry of a file of the catalogue's kind, with `attrib` in an attribute the
// loader keeps and `text` where the loader reads character data (split at
// commas, or for typed objects at the meta list's bars). `kRoot` is the root
// element.
template <class Catalogue>
struct CatalogueKind;

template <>
struct CatalogueKind<CZARVMetaPropTbl> {
    static constexpr const char* kRoot = "meta";
    static std::string Body(const std::string& attrib, const std::string& text) {
        return "<prop par=\"" + attrib + "\" desc=\"d\" valid=\"2\">401," + text + ",7,v,1</prop>";
    }
};

template <>
struct CatalogueKind<CZARVMetaTable> {
    static constexpr const char* kRoot = "metatbl";
    static std::string Body(const std::string& attrib, const std::string& text) {
        return "<points><prop par=\"" + attrib + "\" desc=\"\">" + text + ",3,7,0</prop></points>";
    }
};

template <>
struct CatalogueKind<CZARVTypedObjTbl> {
    static constexpr const char* kRoot = "typeobj";
    // The text ends the meta list, whose last number it follows.
    static std::string Body(const std::string& attrib, const std::string& text) {
        return "<prop desc=\"" + attrib + "\">7,1|2|401" + text + "</prop>";
    }
};

template <>
struct CatalogueKind<CZARVDrvLib> {
    static constexpr const char* kRoot = "driverlib";
    static std::string Body(const std::string& attrib, const std::string& text) {
        return "<metasrv name=\"" + attrib +
               "\" module=\"m\" io=\"1\" ver=\"1\" desc=\"d\" pseudosrv=\"p\"><par>"
               "<prop par=\"\" desc=\"\">930," +
               text + ",3,3,1</prop></par></metasrv>";
    }
};

template <>
struct CatalogueKind<CZARVPseudos> {
    static constexpr const char* kRoot = "pseudos";
    // Values are attributes; the text is a text value of a second one.
    static std::string Body(const std::string& attrib, const std::string& text) {
        return "<pseudo id=\"3\"><dat mtno=\"10\" vt=\"7\" val=\"" + attrib +
               "\"/><dat mtno=\"11\" vt=\"7\" val=\"" + text + "\"/></pseudo>";
    }
};

// A whole catalogue file: declaration, root, one entry.
template <class Catalogue>
std::string CatalogueFile(const std::string& attrib, const std::string& text) {
    using Kind = CatalogueKind<Catalogue>;
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + Kind::kRoot + ">" +
           Kind::Body(attrib, text) + "</" + Kind::kRoot + ">\n";
}

// A new catalogue holding the creator's reference.
template <class Catalogue>
CZARVPtr<Catalogue> NewCatalogue() {
    return CZARVPtr<Catalogue>::Adopt(new Catalogue);
}

// What `catalogue` saves to (through `scratch`, a path the caller owns).
template <class Catalogue>
std::string SavedBytes(Catalogue& catalogue, const std::string& scratch) {
    EXPECT_TRUE(catalogue.SaveToFile(scratch.c_str(), "1.0", "UTF-8"));
    return ReadAll(scratch);
}

// A catalogue loaded from the one-entry file of `attrib` and `text`.
template <class Catalogue>
CZARVPtr<Catalogue> LoadedCatalogue(const TempDir& dir, const std::string& attrib,
                                    const std::string& text) {
    std::string path = dir.File("baseline.xml");
    WriteAll(path, CatalogueFile<Catalogue>(attrib, text));
    auto catalogue = NewCatalogue<Catalogue>();
    EXPECT_TRUE(catalogue->LoadFromFile(path.c_str()));
    std::remove(path.c_str());
    return catalogue;
}

using CatalogueClasses =
    ::testing::Types<CZARVMetaPropTbl, CZARVMetaTable, CZARVTypedObjTbl, CZARVDrvLib, CZARVPseudos>;

// Instrumented builds run the large cases smaller: they are many times
// slower, and every check of those cases is relative to the input's size.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Fills the database `rid` (created with type 0, so nothing is indexed)
// with `points` records, 32000 to a group, each with a text, an integer and
// a double property; `pad` more characters of text make each record larger.
inline void FillDatabase(CZARVQENDbEngine& engine, unsigned char rid, int points, size_t pad = 0) {
    ASSERT_TRUE(engine.CreateConfigDB(rid, 0));
    for (int i = 0; i < points; ++i) {
        unsigned group = static_cast<unsigned>(i / 32000);
        unsigned low = static_cast<unsigned>(i % 32000);
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(
            zarvgmpid::Make(rid, static_cast<unsigned char>(group), low >> 12, low & 0xFFF)));
        _zarvVAR v;
        v = ("point-" + std::to_string(i) + std::string(pad, '.')).c_str();
        info->InsertMPProp(2, v, 0);
        v = static_cast<long>(i);
        info->InsertMPProp(20, v, 1);
        v = 0.5 * i;
        info->InsertMPProp(21, v, 2);
        ASSERT_TRUE(engine.InsertMPInfo(info.get())) << i;
    }
}

#endif  // TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_
