// Shared by the robustness tests: a one-entry file of each catalogue class,
// and databases large enough to take several writes to save.
#ifndef TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_
#define TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "drvlib/drv_lib.h"
#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvlib/zarv_obj.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"
#include "support/make_var.h"
#include "support/temp_dir.h"

// A whole file of `Catalogue`'s kind whose one entry has `attrib` in an
// attribute the loader keeps and `text` where the loader reads character data.
template <class Catalogue>
std::string CatalogueFile(const std::string& attrib, const std::string& text) {
    const auto file = [](const char* root, const std::string& body) {
        return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root + ">" + body +
               "</" + root + ">\n";
    };
    if constexpr (std::is_same_v<Catalogue, CZARVMetaPropTbl>)
        return file("meta", "<prop par=\"" + attrib + "\" desc=\"d\" valid=\"2\">401," + text +
                                ",7,v,1</prop>");
    else if constexpr (std::is_same_v<Catalogue, CZARVMetaTable>)
        return file("metatbl", "<points><prop par=\"" + attrib + "\" desc=\"\">" + text +
                                   ",3,7,0</prop></points>");
    else if constexpr (std::is_same_v<Catalogue, CZARVTypedObjTbl>)  // the meta list's end
        return file("typeobj", "<prop desc=\"" + attrib + "\">7,1|2|401" + text + "</prop>");
    else if constexpr (std::is_same_v<Catalogue, CZARVDrvLib>)
        return file("driverlib",
                    "<metasrv name=\"" + attrib +
                        "\" module=\"m\" io=\"1\" ver=\"1\" desc=\"d\" pseudosrv=\"p\">"
                        "<par><prop par=\"\" desc=\"\">930," +
                        text + ",3,3,1</prop></par></metasrv>");
    else  // values are attributes: the text is a second one
        return file("pseudos", "<pseudo id=\"3\"><dat mtno=\"10\" vt=\"7\" val=\"" + attrib +
                                   "\"/><dat mtno=\"11\" vt=\"7\" val=\"" + text + "\"/></pseudo>");
}

using CatalogueClasses =
    ::testing::Types<CZARVMetaPropTbl, CZARVMetaTable, CZARVTypedObjTbl, CZARVDrvLib, CZARVPseudos>;

// Instrumented builds run the large cases smaller: they are many times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
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
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(zarvgmpid::FromLow16(
            rid, static_cast<unsigned char>(group), static_cast<uint16_t>(low))));
        info->InsertMPProp(
            2, _zarvVAR(("point-" + std::to_string(i) + std::string(pad, '.')).c_str()), 0);
        info->InsertMPProp(20, Var(static_cast<long>(i)), 1);
        info->InsertMPProp(21, Var(0.5 * i), 2);
        ASSERT_TRUE(engine.InsertMPInfo(info.get())) << i;
    }
}

#endif  // TESTS_ROBUSTNESS_ROBUSTNESS_UTIL_H_
