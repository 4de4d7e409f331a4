// Shared pieces of the robustness tests: a one-entry file of each catalogue
// class, and configuration databases large enough to take several writes
// to save.
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

// `File(attrib, text)` is a whole file of the catalogue's kind whose one
// entry has `attrib` in an attribute the loader keeps and `text` where the
// loader reads character data.
template <class Catalogue>
struct CatalogueKind;

inline std::string XmlFile(const char* root, const std::string& body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root + ">" + body + "</" +
           root + ">\n";
}

template <>
struct CatalogueKind<CZARVMetaPropTbl> {
    static std::string File(const std::string& attrib, const std::string& text) {
        return XmlFile("meta", "<prop par=\"" + attrib + "\" desc=\"d\" valid=\"2\">401," + text +
                                   ",7,v,1</prop>");
    }
};
template <>
struct CatalogueKind<CZARVMetaTable> {
    static std::string File(const std::string& attrib, const std::string& text) {
        return XmlFile("metatbl", "<points><prop par=\"" + attrib + "\" desc=\"\">" + text +
                                      ",3,7,0</prop></points>");
    }
};
template <>
struct CatalogueKind<CZARVTypedObjTbl> {
    static std::string File(const std::string& attrib, const std::string& text) {
        return XmlFile("typeobj", "<prop desc=\"" + attrib + "\">7,1|2|401" + text + "</prop>");
    }
};
template <>
struct CatalogueKind<CZARVDrvLib> {
    static std::string File(const std::string& attrib, const std::string& text) {
        return XmlFile("driverlib", "<metasrv name=\"" + attrib +
                                        "\" module=\"m\" io=\"1\" ver=\"1\" desc=\"d\" pseudosrv="
                                        "\"p\"><par><prop par=\"\" desc=\"\">930," +
                                        text + ",3,3,1</prop></par></metasrv>");
    }
};
template <>
struct CatalogueKind<CZARVPseudos> {
    static std::string File(const std::string& attrib, const std::string& text) {
        return XmlFile("pseudos", "<pseudo id=\"3\"><dat mtno=\"10\" vt=\"7\" val=\"" + attrib +
                                      "\"/><dat mtno=\"11\" vt=\"7\" val=\"" + text +
                                      "\"/></pseudo>");
    }
};

using CatalogueClasses =
    ::testing::Types<CZARVMetaPropTbl, CZARVMetaTable, CZARVTypedObjTbl, CZARVDrvLib, CZARVPseudos>;

// Instrumented builds run the large cases smaller: they are many times slower.
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
        const unsigned group = static_cast<unsigned>(i / 32000), low = i % 32000;
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
