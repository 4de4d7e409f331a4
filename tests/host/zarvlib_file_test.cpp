#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zarvlib/zarv_file.h"
#include "kernel_test_util.h"
#include "support/temp_dir.h"

namespace {

using kernel_test::Var;

class ZarvFileTest : public ::testing::Test {
protected:
    // One value of every kind.
    // clang-format off
    const std::vector<_zarvVAR> samples{
        _zarvVAR(), Var(true), Var(short{-2}), Var(static_cast<unsigned short>(65000)),
        Var(-100000L), Var(4000000000UL), Var(0.1f), Var(-1.0 / 3.0),
        _zarvVAR("text with \"quotes\", é and\ttab"), Var(-5LL), Var(18000000000000000000ULL)};
    // clang-format on
    // Opens `bytes` as a file for reading.
    void OpenBytes(CZARVFile& f, const std::string& bytes) {
        WriteAll(path, bytes);
        ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
    }

    // Writes a byte, 0xBEEF and the samples with a checksum; returns the file.
    std::string WriteSamples() {
        CZARVFile f;
        EXPECT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeWrite));
        f << 'Z' << _basictype<unsigned short>(0xBEEF);
        for (const _zarvVAR& v : samples) f << v;
        f.AppendCRC();
        EXPECT_TRUE(f.Close());
        return ReadAll(path);
    }

    TempDir dir;
    std::string path = dir.File("a.bin");
};

TEST_F(ZarvFileTest, RoundTripsEveryKindLittleEndian) {
    const std::string bytes = WriteSamples();
    // The byte, 0xBEEF, then the empty kind as 32-bit -1.
    EXPECT_EQ(bytes.substr(0, 7), std::string("Z\xEF\xBE\xFF\xFF\xFF\xFF", 7));
    CZARVFile f;
    OpenBytes(f, bytes);
    ASSERT_TRUE(f.CheckCRC());
    char c = 0;
    _basictype<short> n;
    f >> c >> n;
    EXPECT_EQ(static_cast<short>(n), static_cast<short>(0xBEEF));
    for (const _zarvVAR& expected : samples) {
        _zarvVAR got;
        f >> got;
        EXPECT_EQ(got, expected) << expected.ToString();
    }
    EXPECT_EQ(f.Remaining(), 0u);  // the checksum is not readable data
    f >> c;
    EXPECT_TRUE(f.fail());
}

TEST_F(ZarvFileTest, RefusesACutOrFlippedFile) {
    const std::string bytes = WriteSamples();
    ASSERT_FALSE(bytes.empty());
    for (size_t len : {size_t{0}, size_t{3}, size_t{40}, bytes.size() / 2, bytes.size() - 1}) {
        CZARVFile cut;
        OpenBytes(cut, bytes.substr(0, len));
        EXPECT_FALSE(cut.CheckCRC()) << len;
        _zarvVAR v;
        for (int i = 0; i < 12; ++i) cut >> v;  // reads past the end stay bounded
        EXPECT_TRUE(cut.fail()) << len;
    }
    for (size_t i : {size_t{0}, size_t{9}, bytes.size() / 2, bytes.size() - 1}) {
        std::string bad = bytes;
        bad[i] = static_cast<char>(bad[i] ^ 0x01);
        CZARVFile flipped;
        OpenBytes(flipped, bad);
        EXPECT_FALSE(flipped.CheckCRC()) << "byte " << i;
    }
}

TEST_F(ZarvFileTest, LyingLengthsAndUnknownKindsFail) {
    // A 4 GB text length and an unknown kind: the reason says which, and where.
    const std::pair<const char*, const char*> lies[] = {
        {"\x07\x00\x00\x00\xFF\xFF\xFF\xFF", "text length 4294967295 at byte 4 runs past the end"},
        {"\x09\x00\x00\x00\x01\x02\x03\x04", "unknown kind 9 at byte 0"}};
    for (const auto& [lie, why] : lies) {
        CZARVFile f;
        OpenBytes(f, std::string(lie, 8) + "abc");
        _zarvVAR v;
        f >> v;
        EXPECT_TRUE(f.fail());
        EXPECT_TRUE(v.IsEmpty());
        EXPECT_NE(f.FailReason().find(why), std::string::npos) << f.FailReason();
    }
}

TEST_F(ZarvFileTest, OpenRefusesBadArguments) {
    CZARVFile f;
    EXPECT_FALSE(f.OpenBinary(nullptr, CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.File("missing").c_str(), CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.path().c_str(), CZARVFile::modeRead));  // a folder
    EXPECT_FALSE(f.OpenBinary(dir.File("x").c_str(), 7));
}

TEST_F(ZarvFileTest, AnAbandonedWriteCommitsNothing) {
    WriteAll(path, "old content");
    {
        CZARVFile w;
        ASSERT_TRUE(w.OpenBinary(path.c_str(), CZARVFile::modeWrite));
        w << 'x';
        w.Flush();
    }
    EXPECT_EQ(ReadAll(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.bin"});
}

}  // namespace
