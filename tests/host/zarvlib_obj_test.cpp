#include <gtest/gtest.h>

#include <vector>

#include "host/zarvlib/zarv_dataset.h"
#include "host/zarvlib/zarv_obj.h"

namespace {

struct Probe : CZARVObj {
    explicit Probe(int* death_count, int probe_id = 0) : deaths(death_count), id(probe_id) {}
    ~Probe() override { ++*deaths; }
    int* deaths;
    int id;
};

TEST(ZarvObjTest, CountsAndDestroysAtZeroAndPtrHoldsOrAdopts) {
    int deaths = 0;
    Probe* p = new Probe(&deaths);
    EXPECT_EQ(p->AddRef(), 2);
    EXPECT_EQ(p->Release(), 1);
    {
        CZARVPtr<Probe> held(p);
        CZARVPtr<Probe> copy = held;
        EXPECT_EQ(p->GetRefCount(), 3);
    }
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(deaths, 0);
    { auto owner = CZARVPtr<Probe>::Adopt(p); }
    EXPECT_EQ(deaths, 1);
}

TEST(ZarvDataSetTest, TakesReferencesKeepsOrderAndReleasesOnClearAndDestruction) {
    int deaths = 0;
    std::vector<Probe*> probes;
    for (int i = 0; i < 3; ++i) probes.push_back(new Probe(&deaths, i));
    {
        CZARVDataSet<Probe> set;
        for (Probe* p : probes) EXPECT_TRUE(set.Add(p));
        EXPECT_TRUE(set.Add(probes[0]));  // the same element twice is two entries
        EXPECT_FALSE(set.Add(nullptr));
        EXPECT_EQ(probes[0]->GetRefCount(), 3);
        std::vector<int> ids;
        for (Probe* p : set) ids.push_back(p->id);
        EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 0}));
        EXPECT_EQ(set.GetAt(4), nullptr);
        EXPECT_EQ(set.GetAt(-1), nullptr);
        for (Probe* p : probes) p->Release();  // the set now holds the last references
        EXPECT_EQ(deaths, 0);
        set.Clear();
        EXPECT_EQ(deaths, 3);
        EXPECT_EQ(set.GetCount(), 0);
        Probe* last = new Probe(&deaths);
        set.Add(last);
        last->Release();
    }
    EXPECT_EQ(deaths, 4);
}

}  // namespace
