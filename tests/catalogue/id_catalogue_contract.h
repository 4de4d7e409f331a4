// The behaviour every ID-ordered catalogue shares, as a typed test suite:
// a test program instantiates it once for its catalogues, each with an
// IdCatalogue specialisation.
#ifndef TESTS_CATALOGUE_ID_CATALOGUE_CONTRACT_H_
#define TESTS_CATALOGUE_ID_CATALOGUE_CONTRACT_H_

#include "catalogue/catalogue_test_util.h"

// How a test reaches one ID-ordered catalogue: New(id) makes an entry
// holding the caller's reference; Insert, Get and Delete are the
// catalogue's own operations. Specialised where the suite is instantiated.
template <class Catalogue>
struct IdCatalogue;

template <class Catalogue>
class IdCatalogueTest : public ::testing::Test {
protected:
    TempDir m_dir;
};
TYPED_TEST_SUITE_P(IdCatalogueTest);

// Inserts take a reference and the first entry of an ID wins, deletes and
// the catalogue's end release, walks ascend and stay at their end.
TYPED_TEST_P(IdCatalogueTest, IsAnIdOrderedSet) {
    using Ops = IdCatalogue<TypeParam>;
    auto catalogue = CZARVPtr<TypeParam>::Adopt(new TypeParam);
    auto first = Ops::New(5), second = Ops::New(5);
    EXPECT_TRUE(Ops::Insert(*catalogue, first.get()));
    EXPECT_FALSE(Ops::Insert(*catalogue, second.get()));
    EXPECT_FALSE(Ops::Insert(*catalogue, nullptr));
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 1);
    for (unsigned short id : {300, 65535, 0})
        EXPECT_TRUE(Ops::Insert(*catalogue, Ops::New(id).get()));
    EXPECT_EQ(WalkIds(*catalogue), (IdList{0, 5, 300, 65535}));
    EXPECT_TRUE(Ops::Delete(*catalogue, 5));
    EXPECT_EQ(first->GetRefCount(), 1);
    ASSERT_TRUE(Ops::Insert(*catalogue, first.get()));
    catalogue.reset();
    EXPECT_EQ(first->GetRefCount(), 1);
}

// A load either replaces the whole content or, failing, keeps all of it
// (cut files of every catalogue: tests/robustness); nothing touches the
// modified flag but SetModify.
TYPED_TEST_P(IdCatalogueTest, LoadsWholeOrNotAtAll) {
    using Ops = IdCatalogue<TypeParam>;
    const TempDir& dir = this->m_dir;
    const std::string path = dir.File("saved.xml"), empty = dir.File("empty.xml"),
                      missing = dir.File("missing.xml");
    TypeParam catalogue;
    ASSERT_TRUE(catalogue.SaveToFile(empty.c_str(), "1.0", "UTF-8"));  // the declaration only
    EXPECT_EQ(ReadAll(empty).find(Ops::kRoot), std::string::npos) << ReadAll(empty);
    for (unsigned short id : {1, 2}) ASSERT_TRUE(Ops::Insert(catalogue, Ops::New(id).get()));
    ASSERT_TRUE(catalogue.SaveToFile(path.c_str(), "1.0", "UTF-8"));
    const std::string unclosed =
        WriteXml(dir, std::string("<") + Ops::kRoot + "><prop>1,2</prop>", "unclosed.xml");
    catalogue.SetModify(true);
    auto old = Ops::New(7);
    ASSERT_TRUE(Ops::Insert(catalogue, old.get()));
    for (const char* bad : {missing.c_str(), unclosed.c_str(), static_cast<const char*>(nullptr)})
        EXPECT_FALSE(catalogue.LoadFromFile(bad));
    EXPECT_EQ(WalkIds(catalogue), (IdList{1, 2, 7}));
    EXPECT_TRUE(catalogue.LoadFromFile(path.c_str()));
    EXPECT_EQ(WalkIds(catalogue), (IdList{1, 2}));
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_EQ(Ops::Get(catalogue, 1)->GetRefCount(), 1);  // loaded: the catalogue's alone
    EXPECT_TRUE(catalogue.LoadFromFile(empty.c_str()));   // a file without root empties it
    EXPECT_TRUE(WalkIds(catalogue).empty());
    EXPECT_TRUE(catalogue.IsModified());
}

REGISTER_TYPED_TEST_SUITE_P(IdCatalogueTest, IsAnIdOrderedSet, LoadsWholeOrNotAtAll);

#endif  // TESTS_CATALOGUE_ID_CATALOGUE_CONTRACT_H_
