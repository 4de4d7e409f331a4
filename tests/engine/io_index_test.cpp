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

unsigned int Hash(const char* text) { return DJBHash(text); }

class IODBTest : public ::testing::Test {
protected:
    CZARVIODB db;
};

TEST_F(IODBTest, BranchListsItsLeavesInAscendingHashOrder) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    ASSERT_TRUE(db.CreateIndex("A$C", C));
    CIndexNode* branch = db.GetIndexNode("A");
    ASSERT_NE(branch, nullptr);
    EXPECT_EQ(branch->GetNodeType(), CIndexNode::NT_BRANCH);
    EXPECT_EQ(branch->GetKey(), Hash("A"));
    std::vector<void*> out;
    EXPECT_EQ(branch->GetLeafData(out), 2);
    std::vector<void*> expected =
        Hash("B") < Hash("C") ? std::vector<void*>{A, C} : std::vector<void*>{C, A};
    EXPECT_EQ(out, expected);
}

TEST_F(IODBTest, LeafDataIsAppendedNotReplaced) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    std::vector<void*> out{B};
    EXPECT_EQ(db.GetIndexNode("A$B")->GetLeafData(out), 1);
    EXPECT_EQ(out, (std::vector<void*>{B, A}));
}

TEST_F(IODBTest, KeysAndPrefixesAreIndexedOnce) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    EXPECT_FALSE(db.CreateIndex("A$B", B));
    EXPECT_FALSE(db.CreateIndex("A", B));
    EXPECT_EQ(db.GetIndexNode("A$B")->GetData(), A);
}

TEST_F(IODBTest, LeafInTheMiddleOfAPathIsRefused) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    EXPECT_FALSE(db.CreateIndex("A$B$C", C));
    EXPECT_EQ(db.GetIndexNode("A$B$C"), nullptr);
}

TEST_F(IODBTest, KeysWithoutPartsAreRefused) {
    EXPECT_FALSE(db.CreateIndex(nullptr, A));
    EXPECT_FALSE(db.CreateIndex("", A));
    EXPECT_EQ(db.GetIndexNode(nullptr), nullptr);
    EXPECT_EQ(db.GetIndexNode(""), nullptr);
    db.Remove(nullptr);
    db.Remove("");
}

TEST_F(IODBTest, EmptyPartsAreKeysOfTheirOwn) {
    ASSERT_TRUE(db.CreateIndex("A$", A));
    ASSERT_TRUE(db.CreateIndex("$B", B));
    EXPECT_EQ(db.GetIndexNode("A$")->GetData(), A);
    EXPECT_EQ(db.GetIndexNode("$B")->GetData(), B);
    EXPECT_EQ(db.GetIndexNode("A$B"), nullptr);
}

TEST_F(IODBTest, RemoveOfALeafKeepsItsSiblings) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    ASSERT_TRUE(db.CreateIndex("A$C", C));
    db.Remove("A$B");
    EXPECT_EQ(db.GetIndexNode("A$B"), nullptr);
    ASSERT_NE(db.GetIndexNode("A$C"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$C")->GetData(), C);
    EXPECT_TRUE(db.CreateIndex("A$B", B));  // the address is free again
}

TEST_F(IODBTest, RemoveOfABranchTakesItsSubtree) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    ASSERT_TRUE(db.CreateIndex("A$C", C));
    ASSERT_TRUE(db.CreateIndex("X$B", B));
    db.Remove("A");
    EXPECT_EQ(db.GetIndexNode("A"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$B"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$C"), nullptr);
    EXPECT_NE(db.GetIndexNode("X$B"), nullptr);
}

TEST_F(IODBTest, EmptiedBranchStaysAndListsNothing) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    db.Remove("A$B");
    CIndexNode* branch = db.GetIndexNode("A");
    ASSERT_NE(branch, nullptr);
    std::vector<void*> out;
    EXPECT_EQ(branch->GetLeafData(out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(db.CreateIndex("A", A));  // still a prefix
}

TEST_F(IODBTest, RemoveOfAMissingKeyChangesNothing) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    db.Remove("A$X");
    db.Remove("A$B$C");
    db.Remove("Z");
    EXPECT_NE(db.GetIndexNode("A$B"), nullptr);
}

TEST_F(IODBTest, GetIndexNodeWalksEveryLevel) {
    ASSERT_TRUE(db.CreateIndex("A$B$C", C));
    EXPECT_EQ(db.GetIndexNode("A")->GetNodeType(), CIndexNode::NT_BRANCH);
    EXPECT_EQ(db.GetIndexNode("A$B")->GetNodeType(), CIndexNode::NT_BRANCH);
    EXPECT_EQ(db.GetIndexNode("A$B$C")->GetData(), C);
    EXPECT_EQ(db.GetIndexNode("B$C"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$C"), nullptr);
    std::vector<void*> out;
    EXPECT_EQ(db.GetIndexNode("A")->GetLeafData(out), 1);
}

TEST_F(IODBTest, NodesKnowTheSetThatHoldsThem) {
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    CIndexNode* branch = db.GetIndexNode("A");
    CIndexNode* leaf = db.GetIndexNode("A$B");
    EXPECT_EQ(branch->GetOwner(), &db.GetRoot());
    EXPECT_EQ(leaf->GetOwner(), branch->GetChildren());
}

TEST_F(IODBTest, DeepKeysAreBuiltAndTornDownWithoutRecursion) {
    std::string key(200000, '$');  // 200001 empty parts, one level each
    {
        CZARVIODB deep;
        ASSERT_TRUE(deep.CreateIndex(key.c_str(), A));
        std::vector<void*> out;
        EXPECT_EQ(deep.GetIndexNode("$")->GetNodeType(), CIndexNode::NT_BRANCH);
        EXPECT_EQ(deep.GetIndexNode("$")->GetLeafData(out), 1);
        deep.Remove("$$");  // drops a subtree of 199999 levels
        EXPECT_EQ(deep.GetIndexNode(key.c_str()), nullptr);
        ASSERT_TRUE(deep.CreateIndex(key.c_str(), A));
    }  // and the destructor drops the whole depth again
}

unsigned int calls = 0;
unsigned int CountingHash(const std::string& text) {
    ++calls;
    return static_cast<unsigned int>(text.size());
}

TEST(IODBHashTest, DefaultHashIsDJB) {
    CZARVIODB db;
    ASSERT_TRUE(db.CreateIndex("first$second", A));
    EXPECT_EQ(db.GetIndexNode("first")->GetKey(), DJBHash("first"));
    EXPECT_EQ(db.GetIndexNode("first$second")->GetKey(), DJBHash("second"));
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

TEST(IndexNodeTest, LeafWithoutDataAndLookupNodesYieldNothing) {
    std::vector<void*> out;
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_LEAF, nullptr).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_LOOKUP, A).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, CIndexNode::NT_BRANCH, nullptr).GetLeafData(out), 0);
    EXPECT_EQ(CIndexNode(1, 7, A).GetLeafData(out), 0);
    EXPECT_TRUE(out.empty());
}

TEST(IndexNodeTest, OrdersByKeyAndKeepsThirtyTwoBits) {
    CIndexNode low(5, CIndexNode::NT_LEAF, A), high(0x1'0000'0003UL, CIndexNode::NT_LEAF, B);
    EXPECT_EQ(high.GetKey(), 3u);
    EXPECT_TRUE(high.LessThan(low));
    EXPECT_FALSE(low.LessThan(high));
    EXPECT_FALSE(low.LessThan(low));
}

TEST(IndexNodeTest, BranchOwnsTheChildSetItIsGiven) {
    auto* children = new CIndexNodeSet;
    children->insert(std::make_shared<CIndexNode>(1, CIndexNode::NT_LEAF, A));
    CIndexNode branch(9, CIndexNode::NT_BRANCH, children);
    std::vector<void*> out;
    EXPECT_EQ(branch.GetLeafData(out), 1);
    branch.SetData(nullptr);  // frees the set (checked by the leak sanitizer)
    EXPECT_EQ(branch.GetLeafData(out), 0);
}

}  // namespace
