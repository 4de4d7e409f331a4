// Memory that runs out: every load and save is run with its first, second,
// third... allocation failing, both the C++ ones (operator new, replaced
// below for this program) and the XML parser's. Each run must answer with
// the operation's result, never an exception, and leak nothing (the
// sanitizer build checks that); once allocations succeed again, the same
// operation works.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <pugixml.hpp>
#include <string>

#include "robustness/robustness_util.h"

namespace {

// Allocations left before the next one fails; negative: none fails.
long g_allocations_left = -1;
bool g_failure_injected = false;

bool MayAllocate() {
    if (g_allocations_left < 0) return true;
    if (g_allocations_left == 0) {
        g_failure_injected = true;
        return false;
    }
    --g_allocations_left;
    return true;
}

void* ParserAllocate(size_t n) { return MayAllocate() ? std::malloc(n) : nullptr; }

}  // namespace

// The replacements pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t n) {
    void* p = MayAllocate() ? std::malloc(n ? n : 1) : nullptr;
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

class AllocFaultTest : public ::testing::Test {
protected:
    void SetUp() override { pugi::set_memory_management_functions(ParserAllocate, std::free); }
    void TearDown() override { pugi::set_memory_management_functions(std::malloc, std::free); }

    // Runs `op` with allocation n failing, for n = 0, 1, ... until it runs
    // through without meeting a failure; then it must succeed. `prepare`
    // runs before each, with every allocation succeeding.
    void Sweep(const char* what, const std::function<void()>& prepare,
               const std::function<bool()>& op) {
        for (long n = 0; n < 200000; ++n) {
            prepare();
            bool result = false, threw = false;
            g_failure_injected = false;
            g_allocations_left = n;
            try {
                result = op();
            } catch (...) {
                threw = true;
            }
            g_allocations_left = -1;
            ASSERT_FALSE(threw) << what << ": an exception left with allocation " << n
                                << " failing";
            if (!g_failure_injected) {
                EXPECT_TRUE(result) << what << " fails without any allocation failing";
                return;
            }
            EXPECT_FALSE(result) << what << ": true with allocation " << n << " failing";
        }
        ADD_FAILURE() << what << " never ran through";
    }

    TempDir dir;
};

TEST_F(AllocFaultTest, DatabaseLoadAndSaveAnswerFalse) {
    ClearRefNames();
    constexpr unsigned char kRid = 200;
    const std::string path = dir.File("rs200.dat");
    {
        // Points with names and IO addresses, indexed, and one that refers
        // to another by name: every side structure a load feeds.
        CZARVQENDbEngine engine("3.0");
        ASSERT_TRUE(engine.CreateConfigDB(kRid, 1));
        for (unsigned i = 0; i < 40; ++i) {
            auto info =
                CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(zarvgmpid::Make(kRid, 1, 0, i)));
            const std::string name = "P" + std::to_string(i);
            if (i == 39) {
                info->InsertMPProp(CZARVQENDbEngine::kRefProp, _zarvVAR("P3"), 0);
            } else {
                info->InsertMPProp(CZARVMPInfo::kRefNameProp, _zarvVAR(name.c_str()), 0);
                info->InsertMPProp(CZARVQENDbEngine::kIOAddrProp1, _zarvVAR("10.0.0.1:502"), 1);
                info->InsertMPProp(CZARVQENDbEngine::kIOAddrProp2, Var(static_cast<long>(i)), 1);
            }
            ASSERT_TRUE(engine.InsertMPInfo(info.get())) << i;
        }
        Sweep(
            "database save", [] {},
            [&] { return engine.SaveToTemplate(kRid, path.c_str(), "3.0"); });
    }
    std::unique_ptr<CZARVQENDbEngine> engine;
    Sweep(
        "database load", [&] { engine = std::make_unique<CZARVQENDbEngine>("3.0"); },
        [&] { return engine->LoadFromFile(kRid, path.c_str(), "3.0", 1); });
    engine.reset();
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"rs200.dat"});  // no temporary file left
    ClearRefNames();
}

template <class Catalogue>
class CatalogueAllocFaultTest : public AllocFaultTest {};
TYPED_TEST_SUITE(CatalogueAllocFaultTest, CatalogueClasses);

TYPED_TEST(CatalogueAllocFaultTest, LoadAndSaveAnswerFalse) {
    const std::string in = this->dir.File("in.xml"), out = this->dir.File("out.xml");
    WriteAll(in, CatalogueFile<TypeParam>("attrib", "text"));
    CZARVPtr<TypeParam> catalogue;
    this->Sweep(
        "catalogue load", [&] { catalogue = CZARVPtr<TypeParam>::Adopt(new TypeParam); },
        [&] { return catalogue->LoadFromFile(in.c_str()); });
    this->Sweep(
        "catalogue save", [] {},
        [&] { return catalogue->SaveToFile(out.c_str(), "1.0", "UTF-8"); });
    EXPECT_EQ(this->dir.Entries(), (std::vector<std::string>{"in.xml", "out.xml"}));
}

}  // namespace
