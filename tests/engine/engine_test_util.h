// Shared helpers of the engine tests.
#ifndef TESTS_ENGINE_ENGINE_TEST_UTIL_H_
#define TESTS_ENGINE_ENGINE_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/db_engine.h"
#include "host/zarvkernel/gmpid.h"
#include "host/zarvkernel/mp_info.h"
#include "host/zarvkernel/ref_names.h"
#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"
#include "host/zarvlib/zarv_var.h"
#include "tests/support/make_var.h"

using RecordPtr = CZARVPtr<CZARVMPInfo>;
using Props = std::initializer_list<std::pair<unsigned short, _zarvVAR>>;

inline unsigned long Gmpid(unsigned rid, unsigned group, unsigned block, unsigned index) {
    return zarvgmpid::Make(static_cast<unsigned char>(rid), static_cast<unsigned char>(group),
                           block, index);
}

// A new record holding the caller's one reference, with properties of valid type 0.
inline RecordPtr Record(unsigned long gmpid, Props props = {}) {
    auto info = RecordPtr::Adopt(new CZARVMPInfo(gmpid));
    for (const auto& [id, value] : props) info->InsertMPProp(id, value, 0);
    return info;
}

// Property 1 gives a record a reference name (its live value then enters the
// name in the kernel's table); 401 and 402 index it under "<a>$<b>".
inline RecordPtr NamedRecord(unsigned long gmpid, const char* name) {
    return Record(gmpid, {{1, name}});
}
inline RecordPtr IORecord(unsigned long gmpid, const char* a, const char* b) {
    return Record(gmpid, {{401, a}, {402, b}});
}

template <class T>
std::vector<unsigned long> Ids(const CZARVDataSet<T>& set) {
    std::vector<unsigned long> ids;
    for (T* item : set) ids.push_back(item->GetGMPID());
    return ids;
}

// Opens the protected hooks to the tests.
class TestEngine : public CZARVQENDbEngine {
public:
    using CZARVQENDbEngine::CZARVQENDbEngine;
    using CZARVQENDbEngine::GetVer;
    using CZARVQENDbEngine::OnAddMPInfo;
};

// Every engine test starts and ends with an empty name table.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRefNames(); }
    void TearDown() override {
        engine.reset();
        ClearRefNames();
    }

    // Inserts a new record and drops the test's reference.
    bool Insert(RecordPtr info) { return engine->InsertMPInfo(info.get()); }
    bool Has(unsigned long gmpid) const { return engine->GetMPInfo(gmpid) != nullptr; }
    // The counts the listings answer (-1 where there is nothing to list).
    int Values(unsigned char rid, unsigned char group) const {
        CZARVDataSet<CZARVMPValue> out;
        return engine->ListValue(rid, group, out);
    }
    int Listed(unsigned char rid, unsigned char group) const {
        CZARVDataSet<CZARVMPInfo> out;
        return engine->ListMPInfo(rid, group, out);
    }
    int ByIO(unsigned char rid, const char* key) const {
        CZARVDataSet<CZARVMPInfo> out;
        return engine->ListMPInfoByIO(rid, key, out);
    }
    unsigned Ass(unsigned long gmpid) const { return engine->GetAssGMPID(gmpid, nullptr, 0); }

    CZARVPtr<TestEngine> engine = CZARVPtr<TestEngine>::Adopt(new TestEngine());
};

#endif  // TESTS_ENGINE_ENGINE_TEST_UTIL_H_
