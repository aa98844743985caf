// SZDD compression and expansion: our writer against our reader, and both
// against an independent implementation when it is installed.

#include "platform/files/lzexpand.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

using namespace dm;
using dm::test::ReadFile;
using dm::test::TempDir;
using dm::test::WriteFile;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
std::string Text(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

std::vector<std::uint8_t> RoundTrip(const std::vector<std::uint8_t>& data)
{
    const auto packed = SzddCompress(data, 'E');
    EXPECT_TRUE(IsSzdd(packed));
    const SzddExpansion x = SzddExpand(packed);
    EXPECT_TRUE(x.ok()) << x.error;
    EXPECT_EQ(x.missingChar, 'E');
    return x.data;
}

// Inputs that exercise literals, long runs, references across the ring's
// wrap-around and matches against data more than a ring back.
std::vector<std::vector<std::uint8_t>> Samples()
{
    std::vector<std::vector<std::uint8_t>> samples;
    samples.push_back({});
    samples.push_back(Bytes("A"));
    samples.push_back(Bytes("abcabcabcabcabcabcabcabcabcabcabcabcabc"));
    samples.push_back(std::vector<std::uint8_t>(100000, 0));
    samples.push_back(std::vector<std::uint8_t>(5000, ' '));
    std::mt19937 rng(7);
    std::vector<std::uint8_t> noise(70000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());
    samples.push_back(noise);
    // Text with repeats at distances around the ring size (4095, 4096, 4097).
    std::string text;
    for (int i = 0; text.size() < 60000; ++i)
        text += "[Server" + std::to_string(i % 37) + "\\COM" + std::to_string(i % 5) +
                "]\r\n86400" + std::to_string(i) + "=H" + std::to_string(i * 13 % 997) +
                "_DOM\\joe?0\r\n";
    samples.push_back(Bytes(text));
    std::vector<std::uint8_t> ring(4096 * 3);
    for (std::size_t i = 0; i < ring.size(); ++i)
        ring[i] = static_cast<std::uint8_t>((i % 4095) * 31 % 251);
    samples.push_back(ring);
    return samples;
}

} // namespace

TEST(Szdd, RoundTripIsByteIdentical)
{
    for (const auto& sample : Samples())
        EXPECT_EQ(RoundTrip(sample), sample) << "size " << sample.size();
}

TEST(Szdd, CompressesRepetitiveData)
{
    const std::vector<std::uint8_t> zeros(100000, 0);
    EXPECT_LT(SzddCompress(zeros).size(), zeros.size() / 7);
}

TEST(Szdd, HeaderCarriesLengthAndMissingCharacter)
{
    const auto packed = SzddCompress(Bytes("hello"), 'L');
    ASSERT_GE(packed.size(), 14u);
    EXPECT_EQ(Text({packed.begin(), packed.begin() + 4}), "SZDD");
    EXPECT_EQ(packed[8], 'A');
    EXPECT_EQ(packed[9], 'L');
    EXPECT_EQ(packed[10], 5);
    EXPECT_EQ(packed[11] | packed[12] | packed[13], 0);
}

TEST(Szdd, HandMadeReferenceIntoBlankRing)
{
    // One literal 'x', then a reference to ring position 0 (still blanks)
    // of length 4: the initial ring content is part of the format.
    std::vector<std::uint8_t> file = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0,
                                      5,   0,   0,   0,   0x01, 'x',  0x00, 0x01};
    const SzddExpansion x = SzddExpand(file);
    ASSERT_TRUE(x.ok()) << x.error;
    EXPECT_EQ(Text(x.data), "x    ");
}

TEST(Szdd, DamagedInputIsReportedNotTrusted)
{
    EXPECT_FALSE(SzddExpand(Bytes("SZDD but not really")).ok());
    EXPECT_FALSE(SzddExpand({}).ok());

    auto packed = SzddCompress(Bytes(std::string(3000, 'q') + "tail"));
    packed.resize(packed.size() - 3);
    const SzddExpansion cut = SzddExpand(packed);
    EXPECT_FALSE(cut.ok());
    EXPECT_LT(cut.data.size(), 3004u);

    // A header announcing 4 GiB over a few bytes of data reserves nothing huge.
    std::vector<std::uint8_t> liar = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    const SzddExpansion x = SzddExpand(liar);
    EXPECT_FALSE(x.ok());
    EXPECT_EQ(Text(x.data), "ab");
}

TEST(Szdd, LZCopyExpandsOrCopies)
{
    TempDir dir;
    const std::string contents = "[Ports]\r\nCOM1=1\r\n" + std::string(2000, 'z');
    const auto packed = SzddCompress(Bytes(contents), 'w');
    WriteFile(dir / "Dialmind.hw_", Text(packed));
    WriteFile(dir / "plain.txt", contents);

    EXPECT_EQ(LZCopyFile(dir / "Dialmind.hw_", dir / "Dialmind.hw"), 0u);
    EXPECT_EQ(ReadFile(dir / "Dialmind.hw"), contents);
    EXPECT_EQ(LZCopyFile(dir / "plain.txt", dir / "copy.txt"), 0u);
    EXPECT_EQ(ReadFile(dir / "copy.txt"), contents);
    EXPECT_EQ(LZCopyFile(dir / "missing", dir / "x"), 2u);
    EXPECT_EQ(LZCopyFile(dir / "plain.txt", dir / "no-such-dir" / "x"), 3u);
    EXPECT_EQ(LZCopyFile(dir / "plain.txt", "/dev/full"), 5u) << "no regular file";
}

// The independent implementation: Debian's mscompress package.
TEST(Szdd, InteroperatesWithMscompress)
{
    if (std::system("command -v mscompress >/dev/null 2>&1 && command -v msexpand >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "mscompress is not installed";
    TempDir dir;
    int n = 0;
    for (const auto& sample : Samples()) {
        if (sample.empty())
            continue;
        const std::string name = "sample" + std::to_string(n++);
        // Theirs compressed, ours expanded. Their writer mangles a file of a
        // single byte, so that direction starts at two.
        WriteFile(dir / name, Text(sample));
        const std::string cmd = "cd '" + dir.str() + "' && mscompress " + name + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        if (sample.size() > 1) {
            const SzddExpansion x = SzddExpand(Bytes(ReadFile(dir / (name + "_"))));
            ASSERT_TRUE(x.ok()) << x.error;
            EXPECT_EQ(x.data, sample) << name;
        }

        // Ours compressed, theirs expanded.
        const std::string ours = name + ".ou_";
        WriteFile(dir / ours, Text(SzddCompress(sample, 't')));
        std::filesystem::remove(dir / name);
        const std::string expand = "cd '" + dir.str() + "' && msexpand < " + ours + " > " + name +
                                   ".back 2>/dev/null";
        ASSERT_EQ(std::system(expand.c_str()), 0);
        EXPECT_EQ(ReadFile(dir / (name + ".back")), Text(sample)) << name;
    }
}
