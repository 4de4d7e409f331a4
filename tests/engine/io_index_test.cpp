#include "engine/io_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/zarvlib/zarv_str.h"

namespace {

int a_data, b_data, c_data;
void* const A = &a_data;
void* const B = &b_data;
void* const C = &c_data;
using Data = std::vector<void*>;

class IODBTest : public ::testing::Test {
protected:
    // The data under `key` (nullptr when there is no such node).
    void* At(const char* key) {
        CIndexNode* node = db.GetIndexNode(key);
        return node ? node->GetData() : nullptr;
    }
    // Appends the leaf data under `key` to `out`; the count is what was added.
    Data Leaves(const char* key, Data out = {}) {
        const size_t before = out.size();
        const int added = db.GetIndexNode(key)->GetLeafData(out);
        EXPECT_EQ(static_cast<size_t>(added), out.size() - before);
        return out;
    }
    CZARVIODB db;
};

// Listing, clashes and deletes through the engine are in the engine's tests;
// here: the tree's own shape.
TEST_F(IODBTest, NodesKeyByTheDJBHashOfTheirPartAndLeavesAreCollectedThroughEveryLevel) {
    ASSERT_TRUE(db.CreateIndex("A$B$C", C));
    ASSERT_TRUE(db.CreateIndex("A$D", A));
    CIndexNode* branch = db.GetIndexNode("A");
    EXPECT_EQ(branch->GetNodeType(), CIndexNode::NT_BRANCH);
    EXPECT_EQ(branch->GetKey(), DJBHash("A"));
    EXPECT_EQ(db.GetIndexNode("A$D")->GetKey(), DJBHash("D"));
    EXPECT_EQ(branch->GetOwner(), &db.GetRoot());
    EXPECT_EQ(db.GetIndexNode("A$D")->GetOwner(), branch->GetChildren());
    EXPECT_EQ(Leaves("A").size(), 2u);
    EXPECT_EQ(Leaves("A$B", {B}), (Data{B, C}));
    EXPECT_EQ(db.GetIndexNode("B$C"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$C"), nullptr);
}

TEST_F(IODBTest, APrefixOfALeafOrALeafUnderABranchIsRefused) {
    ASSERT_TRUE(db.CreateIndex("a$b", A));
    EXPECT_FALSE(db.CreateIndex("a$b$c", B));  // "a$b" is a leaf
    EXPECT_TRUE(db.CreateIndex("a$c$d", B));
    EXPECT_FALSE(db.CreateIndex("a$c", C));  // "a$c" is a branch now
    EXPECT_FALSE(db.CreateIndex("a$b", C));
    EXPECT_EQ(At("a$b"), A);
}

TEST_F(IODBTest, EmptyPartsAreKeysOfTheirOwn) {
    ASSERT_TRUE(db.CreateIndex("A$", A));
    ASSERT_TRUE(db.CreateIndex("$B", B));
    EXPECT_EQ(At("A$"), A);
    EXPECT_EQ(At("$B"), B);
    EXPECT_EQ(db.GetIndexNode("A$B"), nullptr);
}

TEST_F(IODBTest, EmptiedBranchStaysAPrefixAndRemovesOfMissingKeysChangeNothing) {
    ASSERT_TRUE(db.CreateIndex("X$B", B));
    for (const char* missing : {"X$A", "X$B$C", "Z", "", static_cast<const char*>(nullptr)})
        db.Remove(missing);
    EXPECT_EQ(At("X$B"), B);
    db.Remove("X$B");
    EXPECT_TRUE(Leaves("X").empty());
    EXPECT_FALSE(db.CreateIndex("X", A));
}

TEST_F(IODBTest, DeepKeysAreBuiltAndTornDownWithoutRecursion) {
    std::string key(200000, '$');  // 200001 empty parts, one level each
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
    EXPECT_EQ(Leaves("$"), Data{A});
    db.Remove("$$");  // drops a subtree of 199999 levels
    EXPECT_EQ(db.GetIndexNode(key.c_str()), nullptr);
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
}  // and the destructor drops the whole depth again

unsigned int calls = 0;
unsigned int CountingHash(const std::string& text) {
    ++calls;
    return static_cast<unsigned int>(text.size());
}

TEST(IODBHashTest, GivenHashIsTheOnlyOneUsed) {
    calls = 0;
    CZARVIODB db(&CountingHash);
    ASSERT_TRUE(db.CreateIndex("ab$cde", A));
    EXPECT_GT(calls, 0u);
    EXPECT_EQ(db.GetIndexNode("ab")->GetKey(), 2u);
    // Parts with the same hash are the same part to the index.
    EXPECT_EQ(db.GetIndexNode("xy$fgh")->GetData(), A);
    EXPECT_FALSE(db.CreateIndex("zz$abc", B));
}

// Only a branch with children or a leaf with data yields; a branch owns
// the child set it is given.
TEST(IndexNodeTest, OnlyBranchesAndLeavesWithDataYieldLeafData) {
    Data out;
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_LEAF, nullptr).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_LOOKUP, A).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_BRANCH, nullptr).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, 7, A).GetLeafData(out), 0);
    auto* children = new CIndexNodeSet;
    children->insert(std::make_shared<CIndexNode>(1, CIndexNode::NT_LEAF, A));
    CIndexNode branch(9, CIndexNode::NT_BRANCH, children);
    EXPECT_EQ(branch.GetLeafData(out), 1);
    branch.SetData(nullptr);  // frees the set (checked by the leak sanitizer)
    EXPECT_EQ(branch.GetLeafData(out), 0);
}

}  // namespace
