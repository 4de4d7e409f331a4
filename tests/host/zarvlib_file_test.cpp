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
    static std::vector<_zarvVAR> Samples() {
        return {_zarvVAR(),
                Var(true),
                Var(short{-2}),
                Var(static_cast<unsigned short>(65000)),
                Var(-100000L),
                Var(4000000000UL),
                Var(0.1f),
                Var(-1.0 / 3.0),
                _zarvVAR("text with \"quotes\", é and\nbreaks"),
                Var(-5LL),
                Var(18000000000000000000ULL)};
    }
    // A small file: a byte, a 16-bit number, every sample and a checksum.
    bool WriteSample() {
        CZARVFile f;
        if (!f.OpenBinary(path.c_str(), CZARVFile::modeWrite)) return false;
        f << 'Z' << _basictype<unsigned short>(0xBEEF);
        for (const _zarvVAR& v : Samples()) f << v;
        f.AppendCRC();
        return f.Close();
    }
    // Opens `bytes` as a file for reading.
    void OpenBytes(CZARVFile& f, const std::string& bytes) {
        WriteAll(path, bytes);
        ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
    }

    TempDir dir;
    std::string path = dir.File("a.bin");
};

TEST_F(ZarvFileTest, RoundTripsEveryKindLittleEndian) {
    ASSERT_TRUE(WriteSample());
    const std::string bytes = ReadAll(path);
    // The byte, 0xBEEF, then the empty kind as 32-bit -1.
    EXPECT_EQ(bytes.substr(0, 7), std::string("Z\xEF\xBE\xFF\xFF\xFF\xFF", 7));

    CZARVFile f;
    ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
    ASSERT_TRUE(f.CheckCRC());
    char c = 0;
    _basictype<short> n;
    f >> c >> n;
    EXPECT_EQ(c, 'Z');
    EXPECT_EQ(static_cast<short>(n), static_cast<short>(0xBEEF));
    for (const _zarvVAR& expected : Samples()) {
        _zarvVAR got;
        f >> got;
        EXPECT_EQ(got, expected) << expected.ToString();
    }
    EXPECT_TRUE(f.good());
    EXPECT_EQ(f.Remaining(), 0u);  // the checksum is not readable data
    f >> c;
    EXPECT_TRUE(f.fail());
}

TEST_F(ZarvFileTest, EveryTruncationOrFlippedByteFailsTheChecksumAndReadsStayBounded) {
    ASSERT_TRUE(WriteSample());
    const std::string bytes = ReadAll(path);
    for (size_t len = 0; len < bytes.size(); ++len) {
        CZARVFile f;
        OpenBytes(f, bytes.substr(0, len));
        EXPECT_FALSE(f.CheckCRC()) << len;
        for (int i = 0; i < 20; ++i) {
            _zarvVAR v;
            f >> v;
        }
        EXPECT_TRUE(f.fail()) << len;
        _zarvVAR after;
        f >> after;
        EXPECT_TRUE(after.IsEmpty());
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string bad = bytes;
            bad[i] = static_cast<char>(bad[i] ^ mask);
            CZARVFile f;
            OpenBytes(f, bad);
            EXPECT_FALSE(f.CheckCRC()) << "byte " << i;
        }
    }
}

TEST_F(ZarvFileTest, LyingLengthsAndUnknownKindsFail) {
    const std::string lies[] = {std::string("\x07\x00\x00\x00\xFF\xFF\xFF\xFF"
                                            "abc",
                                            11),  // 4 GB text
                                std::string("\x09\x00\x00\x00\x01\x02\x03\x04", 8)};
    for (const std::string& lie : lies) {
        CZARVFile f;
        OpenBytes(f, lie);
        _zarvVAR v;
        f >> v;
        EXPECT_TRUE(f.fail());
        EXPECT_TRUE(v.IsEmpty());
    }
}

TEST_F(ZarvFileTest, OpenRefusesBadArguments) {
    CZARVFile f;
    EXPECT_FALSE(f.OpenBinary(nullptr, CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.File("missing").c_str(), CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.path().c_str(), CZARVFile::modeRead));  // a folder
    EXPECT_FALSE(f.OpenBinary(dir.File("x").c_str(), 7));
    EXPECT_FALSE(f.OpenBinary(dir.File("no/such/folder/x").c_str(), CZARVFile::modeWrite));
}

// Failing steps of a save are swept with the database saves; here: a
// writer dropped without Close commits nothing.
TEST_F(ZarvFileTest, AbandonedWriteLeavesOldFileAndNoTemporary) {
    WriteAll(path, "old content");
    {
        CZARVFile f;
        ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeWrite));
        f << 'x';
        f.Flush();
    }
    EXPECT_EQ(ReadAll(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.bin"});
}

}  // namespace
