#include "engine/io_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/zarv_str.h"

namespace {

int a_data, b_data, c_data;
void* const A = &a_data;
void* const B = &b_data;
void* const C = &c_data;
using Data = std::vector<void*>;

// Listing, clashes and deletes through the engine are in the engine's tests;
// here: the tree's own shape.
class IODBTest : public ::testing::Test {
protected:
    Data Leaves(const char* key, Data out = {}) {
        db.GetIndexNode(key)->GetLeafData(out);
        return out;
    }
    CZARVIODB db;
};

TEST_F(IODBTest, NodesKeyByTheHashOfTheirPart) {
    ASSERT_TRUE(db.CreateIndex("A$B$C", C));
    EXPECT_EQ(db.GetIndexNode("A")->GetKey(), DJBHash("A"));
}

TEST_F(IODBTest, LeavesAreCollectedThroughEveryLevel) {
    ASSERT_TRUE(db.CreateIndex("A$B$C", C));
    EXPECT_EQ(Leaves("A$B", {B}), (Data{B, C}));
}

TEST_F(IODBTest, APrefixOfALeafOrALeafUnderABranchIsRefused) {
    ASSERT_TRUE(db.CreateIndex("a$b", A));
    EXPECT_FALSE(db.CreateIndex("a$b$c", B));  // "a$b" is a leaf
    EXPECT_TRUE(db.CreateIndex("a$c$d", B));
    EXPECT_FALSE(db.CreateIndex("a$c", C));  // "a$c" is a branch now
    EXPECT_FALSE(db.CreateIndex("a$b", C));
    EXPECT_EQ(db.GetIndexNode("a$b")->GetData(), A);
}

// Hashes by length, longest lowest: the order of siblings then differs from
// the order of their texts, and texts of one length are one part.
unsigned int LongestFirst(const std::string& part) {
    return 100 - static_cast<unsigned>(part.size());
}

TEST(IODBHashTest, SiblingsAscendByACustomHashAndItIsTheOnlyOneUsed) {
    CZARVIODB db(&LongestFirst);
    ASSERT_TRUE(db.CreateIndex("k$a", A));
    ASSERT_TRUE(db.CreateIndex("k$ccc", C));
    ASSERT_TRUE(db.CreateIndex("k$bb", B));
    Data leaves;
    EXPECT_EQ(db.GetIndexNode("k")->GetLeafData(leaves), 3);
    EXPECT_EQ(leaves, (Data{C, B, A}));  // hashes 97, 98, 99
    EXPECT_EQ(db.GetIndexNode("k")->GetKey(), 99u);
    EXPECT_EQ(db.GetIndexNode("x$yy")->GetData(), B);  // "x" is "k", "yy" is "bb" to this hash
    EXPECT_FALSE(db.CreateIndex("q$zz", C));
    std::vector<unsigned long> roots;
    for (const auto& node : db.GetRoot()) roots.push_back(node->GetKey());
    EXPECT_EQ(roots, std::vector<unsigned long>{99});
}

TEST(IODBHashTest, SiblingsAscendByTheDJBHashByDefault) {
    CZARVIODB plain;  // the DJB hash puts "b" below "aa"
    ASSERT_TRUE(plain.CreateIndex("k$aa", A));
    ASSERT_TRUE(plain.CreateIndex("k$b", B));
    ASSERT_LT(DJBHash("b"), DJBHash("aa"));
    Data leaves;
    plain.GetIndexNode("k")->GetLeafData(leaves);
    EXPECT_EQ(leaves, (Data{B, A}));
}

TEST_F(IODBTest, DeepKeysAreBuiltAndTornDownWithoutRecursion) {
    std::string key(200000, '$');  // 200001 empty parts, one level each
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
    EXPECT_EQ(Leaves("$"), Data{A});
    db.Remove("$$");  // drops a subtree of 199999 levels
    EXPECT_EQ(db.GetIndexNode(key.c_str()), nullptr);
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
}  // and the destructor drops the whole depth again

}  // namespace
