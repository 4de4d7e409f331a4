#include <gtest/gtest.h>

#include <string>

#include "host/zarvlib/zarv_file.h"
#include "support/failing_file_ops.h"
#include "support/temp_dir.h"

namespace {

class ZarvFileTest : public ::testing::Test {
protected:
    // A small file with one value of every kind and a checksum.
    bool WriteSample(const std::string& path) {
        CZARVFile f;
        if (!f.OpenBinary(path.c_str(), CZARVFile::modeWrite)) return false;
        f << 'Z' << _basictype<unsigned short>(0xBEEF);
        for (const _zarvVAR& v : Samples()) f << v;
        f.AppendCRC();
        return f.Close();
    }

    static std::vector<_zarvVAR> Samples() {
        std::vector<_zarvVAR> v(11);
        v[1] = true;
        v[2] = static_cast<short>(-2);
        v[3] = static_cast<unsigned short>(65000);
        v[4] = -100000L;
        v[5] = 4000000000UL;
        v[6] = 0.1f;
        v[7] = -1.0 / 3.0;
        v[8] = "text with \"quotes\", é and\nbreaks";
        v[9] = -5LL;
        v[10] = 18000000000000000000ULL;
        return v;
    }

    TempDir dir;
};

TEST_F(ZarvFileTest, RoundTripsEveryKindLittleEndian) {
    std::string path = dir.File("a.bin");
    ASSERT_TRUE(WriteSample(path));
    std::string bytes = ReadAll(path);
    ASSERT_GE(bytes.size(), 7u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("Z\xEF\xBE", 3));
    // First variant: the empty kind, -1 as 32 bits.
    EXPECT_EQ(bytes.substr(3, 4), std::string("\xFF\xFF\xFF\xFF", 4));

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

TEST_F(ZarvFileTest, EveryTruncationFailsTheChecksumAndReadsStayBounded) {
    std::string path = dir.File("a.bin");
    ASSERT_TRUE(WriteSample(path));
    std::string bytes = ReadAll(path);
    std::string cut = dir.File("cut.bin");
    for (size_t len = 0; len < bytes.size(); ++len) {
        WriteAll(cut, bytes.substr(0, len));
        CZARVFile f;
        ASSERT_TRUE(f.OpenBinary(cut.c_str(), CZARVFile::modeRead));
        EXPECT_FALSE(f.CheckCRC()) << len;
        // Reading a truncated file ends in the fail state, never past the end.
        for (int i = 0; i < 20; ++i) {
            _zarvVAR v;
            f >> v;
        }
        EXPECT_TRUE(f.fail()) << len;
        _zarvVAR after;
        f >> after;
        EXPECT_TRUE(after.IsEmpty());
    }
}

TEST_F(ZarvFileTest, AnyFlippedByteIsDetected) {
    std::string path = dir.File("a.bin");
    ASSERT_TRUE(WriteSample(path));
    std::string bytes = ReadAll(path);
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string bad = bytes;
            bad[i] = static_cast<char>(bad[i] ^ mask);
            WriteAll(path, bad);
            CZARVFile f;
            ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
            EXPECT_FALSE(f.CheckCRC()) << "byte " << i;
        }
    }
}

TEST_F(ZarvFileTest, LyingLengthsAndKindsFail) {
    std::string path = dir.File("lie.bin");
    // A text variant that claims four gigabytes.
    WriteAll(path, std::string("\x07\x00\x00\x00\xFF\xFF\xFF\xFF" "abc", 11));
    CZARVFile f;
    ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
    _zarvVAR v;
    f >> v;
    EXPECT_TRUE(f.fail());
    EXPECT_TRUE(v.IsEmpty());

    // An unknown kind.
    WriteAll(path, std::string("\x09\x00\x00\x00\x01\x02\x03\x04", 8));
    ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeRead));
    f >> v;
    EXPECT_TRUE(f.fail());
}

TEST_F(ZarvFileTest, OpenRefusesBadArguments) {
    CZARVFile f;
    EXPECT_FALSE(f.OpenBinary(nullptr, CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.File("missing").c_str(), CZARVFile::modeRead));
    EXPECT_FALSE(f.OpenBinary(dir.path().c_str(), CZARVFile::modeRead));  // a folder
    EXPECT_FALSE(f.OpenBinary(dir.File("x").c_str(), 7));
    EXPECT_FALSE(f.OpenBinary(dir.File("no/such/folder/x").c_str(), CZARVFile::modeWrite));
}

TEST_F(ZarvFileTest, AbandonedWriteLeavesOldFileAndNoTemporary) {
    std::string path = dir.File("a.bin");
    WriteAll(path, "old content");
    {
        CZARVFile f;
        ASSERT_TRUE(f.OpenBinary(path.c_str(), CZARVFile::modeWrite));
        f << 'x';
        f.Flush();
    }  // destroyed without Close
    EXPECT_EQ(ReadAll(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.bin"});
}

TEST_F(ZarvFileTest, EachFailingStepLeavesOldFileAndNoTemporary) {
    std::string path = dir.File("a.bin");
    for (auto step : {FailingFileOps::kCreate, FailingFileOps::kWrite, FailingFileOps::kSync,
                      FailingFileOps::kClose, FailingFileOps::kRename}) {
        WriteAll(path, "old content");
        {
            FailingFileOps faults(step);
            EXPECT_FALSE(WriteSample(path)) << step;
        }
        EXPECT_EQ(ReadAll(path), "old content") << step;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.bin"}) << step;
    }
    ASSERT_TRUE(WriteSample(path));
    EXPECT_NE(ReadAll(path), "old content");
}

TEST_F(ZarvFileTest, LargeWritesStreamAndCheck) {
    std::string path = dir.File("big.bin");
    CZARVFile w;
    ASSERT_TRUE(w.OpenBinary(path.c_str(), CZARVFile::modeWrite));
    for (int i = 0; i < 600000; ++i) w << _basictype<unsigned short>(static_cast<unsigned short>(i));
    w.AppendCRC();
    ASSERT_TRUE(w.Close());
    CZARVFile r;
    ASSERT_TRUE(r.OpenBinary(path.c_str(), CZARVFile::modeRead));
    EXPECT_TRUE(r.CheckCRC());
    EXPECT_EQ(r.Remaining(), 1200000u);
}

}  // namespace
