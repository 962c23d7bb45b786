// The .res encoder and decoder: the exact layout of the leading entry and of
// entry headers (numbered and named types and names, DWORD alignment of the
// header and the data), round trips of every data length modulo 4, and the
// refusal of damaged files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/res/res_file.h"
#include "package_test_support.h"

namespace {

using package::DecodeResFile;
using package::EncodeResFile;
using package::ResEntry;
using package::ResId;
using package_test::Entry;

uint32_t DwordAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t WordAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(PackageResFileLayout, AnEmptyFileIsTheThirtyTwoByteMarkerEntry) {
  const std::vector<uint8_t> expected = {0,    0,    0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0,
                                         0,    0,    0, 0, 0,    0, 0, 0, 0,    0,    0, 0, 0,    0,    0, 0};
  EXPECT_EQ(EncodeResFile({}), expected);
}

TEST(PackageResFileLayout, NumberedEntryHeaderAndPaddedData) {
  ResEntry e = Entry(ResId::Number(10), ResId::Number(7), "abcde");
  e.memoryFlags = 0x1030;
  e.dataVersion = 0x11223344;
  e.version = 0x55667788;
  e.characteristics = 0x99AABBCC;
  const std::vector<uint8_t> b = EncodeResFile({e});

  ASSERT_EQ(b.size(), 32u + 32u + 8u);  // marker, header, 5 data bytes padded to 8
  const size_t h = 32;
  EXPECT_EQ(DwordAt(b, h), 5u);          // data size, without padding
  EXPECT_EQ(DwordAt(b, h + 4), 32u);     // header size
  EXPECT_EQ(DwordAt(b, h + 8), 0x000AFFFFu);
  EXPECT_EQ(DwordAt(b, h + 12), 0x0007FFFFu);
  EXPECT_EQ(DwordAt(b, h + 16), 0x11223344u);
  EXPECT_EQ(WordAt(b, h + 20), 0x1030);
  EXPECT_EQ(WordAt(b, h + 22), 0x0409);
  EXPECT_EQ(DwordAt(b, h + 24), 0x55667788u);
  EXPECT_EQ(DwordAt(b, h + 28), 0x99AABBCCu);
  EXPECT_EQ(std::string(b.begin() + h + 32, b.begin() + h + 37), "abcde");
  EXPECT_EQ(b[h + 37], 0);
  EXPECT_EQ(b[h + 38], 0);
  EXPECT_EQ(b[h + 39], 0);
}

TEST(PackageResFileLayout, NamedTypeAndNameArePaddedToADword) {
  // "AB" takes 6 bytes and "XYZ" 8: 8 + 6 + 8 = 22, padded to 24, + 16 = 40.
  const std::vector<uint8_t> b = EncodeResFile({Entry(ResId::Text("AB"), ResId::Text("XYZ"), "x")});
  const size_t h = 32;
  EXPECT_EQ(DwordAt(b, h + 4), 40u);
  const std::vector<uint16_t> names = {'A', 'B', 0, 'X', 'Y', 'Z', 0};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(WordAt(b, h + 8 + 2 * i), names[i]) << "word " << i;
  EXPECT_EQ(WordAt(b, h + 22), 0);       // alignment padding
  EXPECT_EQ(WordAt(b, h + 24 + 6), 0x0409);
  EXPECT_EQ(b[h + 40], 'x');
  EXPECT_EQ(b.size(), h + 40 + 4);
}

TEST(PackageResFileLayout, NamedTypeWithNumberedNameNeedsNoPadding) {
  // "A" takes 4 bytes, the numbered name 4: 8 + 4 + 4 = 16, + 16 = 32.
  const std::vector<uint8_t> b = EncodeResFile({Entry(ResId::Text("A"), ResId::Number(1), "")});
  EXPECT_EQ(DwordAt(b, 32 + 4), 32u);
  EXPECT_EQ(DwordAt(b, 32), 0u);
  EXPECT_EQ(b.size(), 64u);
}

TEST(PackageResFileRoundTrip, EveryFieldSurvivesForAllPaddingCases) {
  std::vector<ResEntry> in;
  for (int length = 0; length < 9; ++length) {
    ResEntry e = Entry(length % 2 ? ResId::Text("CUSTOM") : ResId::Number(10),
                       length % 3 ? ResId::Text(std::u16string(static_cast<size_t>(length + 1), u'N'))
                                  : ResId::Number(static_cast<uint16_t>(100 + length)),
                       std::string(static_cast<size_t>(length), static_cast<char>('a' + length)),
                       static_cast<uint16_t>(0x0400 + length));
    e.memoryFlags = static_cast<uint16_t>(0x10 * length);
    e.version = 1000u + static_cast<uint32_t>(length);
    e.characteristics = 2000u + static_cast<uint32_t>(length);
    e.dataVersion = 3000u + static_cast<uint32_t>(length);
    in.push_back(e);
  }
  in.push_back(Entry(ResId::Text(u"\u00C4RGER"), ResId::Number(0xFFFE), std::string("\0\xFF\x01", 3)));
  in.push_back(Entry(ResId::Text(u""), ResId::Text(u""), ""));  // the smallest header there is

  std::vector<ResEntry> out;
  std::string error;
  ASSERT_TRUE(DecodeResFile(EncodeResFile(in), out, error)) << error;
  ASSERT_EQ(out.size(), in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_TRUE(out[i].type == in[i].type);
    EXPECT_TRUE(out[i].name == in[i].name);
    EXPECT_EQ(out[i].language, in[i].language);
    EXPECT_EQ(out[i].memoryFlags, in[i].memoryFlags);
    EXPECT_EQ(out[i].version, in[i].version);
    EXPECT_EQ(out[i].characteristics, in[i].characteristics);
    EXPECT_EQ(out[i].dataVersion, in[i].dataVersion);
    EXPECT_EQ(out[i].data, in[i].data);
  }
}

TEST(PackageResFileRoundTrip, ThroughAFileOnDisk) {
  package_test::ScratchDir dir;
  const std::string path = dir / "round.res";
  std::string error;
  ASSERT_TRUE(package::WriteResFile(path, {Entry(ResId::Number(6), ResId::Number(1), "text")}, error)) << error;
  std::vector<ResEntry> out;
  ASSERT_TRUE(package::ReadResFile(path, out, error)) << error;
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(std::string(out[0].data.begin(), out[0].data.end()), "text");
}

TEST(PackageResFileRoundTrip, WritingIntoAMissingDirectoryFailsAndLeavesNothing) {
  package_test::ScratchDir dir;
  const std::string path = dir / "missing\\round.res";
  std::string error;
  EXPECT_FALSE(package::WriteResFile(path, {}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(package_test::Exists(path));
}

class PackageResFileDamage : public ::testing::Test {
 protected:
  std::vector<uint8_t> good_ = EncodeResFile({Entry(ResId::Number(10), ResId::Number(1), "first"),
                                               Entry(ResId::Text("T"), ResId::Text("SECOND"), "second entry")});
  std::vector<ResEntry> out_;
  std::string error_;
};

TEST_F(PackageResFileDamage, AFileWithoutTheMarkerEntryIsRefused) {
  std::vector<uint8_t> b(good_.begin() + 32, good_.end());
  EXPECT_FALSE(DecodeResFile(b, out_, error_));
  EXPECT_NE(error_.find("32-bit"), std::string::npos) << error_;
}

TEST_F(PackageResFileDamage, TruncatedDataIsRefusedAfterTheWholeEntries) {
  std::vector<uint8_t> b(good_.begin(), good_.end() - 6);
  EXPECT_FALSE(DecodeResFile(b, out_, error_));
  EXPECT_NE(error_.find("past the end"), std::string::npos) << error_;
  ASSERT_EQ(out_.size(), 1u);
  EXPECT_EQ(std::string(out_[0].data.begin(), out_[0].data.end()), "first");
}

TEST_F(PackageResFileDamage, AHeaderSizeTooSmallForItsFieldsIsRefused) {
  std::vector<uint8_t> b = good_;
  b[32 + 4] = 16;
  EXPECT_FALSE(DecodeResFile(b, out_, error_));
  EXPECT_NE(error_.find("header size"), std::string::npos) << error_;
}

TEST_F(PackageResFileDamage, ANameRunningPastItsHeaderIsRefused) {
  std::vector<uint8_t> b = EncodeResFile({Entry(ResId::Text("LONGTYPENAME"), ResId::Number(1), "")});
  // Shrink the header so that the type's terminator falls outside it.
  b[32 + 4] = 32;
  EXPECT_FALSE(DecodeResFile(b, out_, error_));
  EXPECT_FALSE(error_.empty());
}

TEST_F(PackageResFileDamage, ZeroPaddingAfterTheLastEntryIsAccepted) {
  std::vector<uint8_t> b = good_;
  b.insert(b.end(), 4, 0);
  EXPECT_TRUE(DecodeResFile(b, out_, error_)) << error_;
  EXPECT_EQ(out_.size(), 2u);
}

}  // namespace
