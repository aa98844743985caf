#include "platform/files/lzexpand.h"

#include "platform/files/fileopen.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <iterator>

namespace dm {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kHeaderSize = 14;
constexpr unsigned kRingSize = 4096;
constexpr unsigned kRingStart = kRingSize - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
// A reference may reach back at most one ring minus one byte: the byte a full
// ring back has already been overwritten by the time it is copied.
constexpr std::size_t kMaxDistance = kRingSize - 1;
constexpr int kMaxChain = 64;
constexpr unsigned kHashBits = 15;

unsigned Hash3(const std::uint8_t* p)
{
    return ((unsigned(p[0]) << 10) ^ (unsigned(p[1]) << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

} // namespace

bool IsSzdd(std::span<const std::uint8_t> data)
{
    return data.size() >= kHeaderSize && std::equal(kMagic.begin(), kMagic.end(), data.begin()) &&
           data[8] == 'A';
}

std::vector<std::uint8_t> SzddCompress(std::span<const std::uint8_t> data, char missingChar)
{
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    out.push_back('A');
    out.push_back(static_cast<std::uint8_t>(missingChar));
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(length >> shift));

    const std::size_t n = data.size();
    std::vector<std::int64_t> head(std::size_t(1) << kHashBits, -1);
    std::vector<std::int64_t> prev(n, -1);
    auto insert = [&](std::size_t pos) {
        if (pos + kMinMatch > n)
            return;
        const unsigned h = Hash3(&data[pos]);
        prev[pos] = head[h];
        head[h] = static_cast<std::int64_t>(pos);
    };

    std::size_t flagPos = 0;
    int bit = 8;
    auto beginItem = [&](bool literal) {
        if (bit == 8) {
            flagPos = out.size();
            out.push_back(0);
            bit = 0;
        }
        if (literal)
            out[flagPos] |= static_cast<std::uint8_t>(1u << bit);
        ++bit;
    };

    std::size_t i = 0;
    while (i < n) {
        std::size_t bestLen = 0;
        std::size_t bestPos = 0;
        if (i + kMinMatch <= n) {
            const std::size_t limit = std::min(kMaxMatch, n - i);
            std::int64_t candidate = head[Hash3(&data[i])];
            for (int chain = 0; candidate >= 0 && chain < kMaxChain;
                 ++chain, candidate = prev[static_cast<std::size_t>(candidate)]) {
                const auto j = static_cast<std::size_t>(candidate);
                if (i - j > kMaxDistance)
                    break;
                std::size_t len = 0;
                while (len < limit && data[j + len] == data[i + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestPos = j;
                    if (len == limit)
                        break;
                }
            }
        }
        if (bestLen >= kMinMatch) {
            beginItem(false);
            const unsigned ring = (kRingStart + bestPos) & (kRingSize - 1);
            out.push_back(static_cast<std::uint8_t>(ring & 0xFF));
            out.push_back(static_cast<std::uint8_t>(((ring >> 4) & 0xF0) | (bestLen - kMinMatch)));
            for (std::size_t k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            beginItem(true);
            out.push_back(data[i]);
            insert(i);
            ++i;
        }
    }
    return out;
}

std::string SzddExpandedName(const std::string& compressedName, char missingChar)
{
    std::string name = compressedName;
    if (name.empty() || name.back() != '_')
        return name;
    name.pop_back();
    if (missingChar != 0)
        name += missingChar;
    return name;
}

SzddExpansion SzddExpand(std::span<const std::uint8_t> file)
{
    SzddExpansion result;
    if (!IsSzdd(file)) {
        result.error = "not an SZDD file";
        return result;
    }
    result.missingChar = static_cast<char>(file[9]);
    std::uint32_t length = 0;
    for (int k = 0; k < 4; ++k)
        length |= std::uint32_t(file[10 + k]) << (8 * k);

    // Each input byte yields at most 18 output bytes; never trust the header
    // alone for the reservation.
    const std::size_t bound = (file.size() - kHeaderSize) * kMaxMatch;
    result.data.reserve(std::min<std::size_t>(length, bound));

    std::array<std::uint8_t, kRingSize> ring;
    ring.fill(' ');
    unsigned r = kRingStart;
    auto emit = [&](std::uint8_t c) {
        result.data.push_back(c);
        ring[r] = c;
        r = (r + 1) & (kRingSize - 1);
    };

    std::size_t in = kHeaderSize;
    bool broken = false;
    while (result.data.size() < length && in < file.size() && !broken) {
        const std::uint8_t flags = file[in++];
        for (int b = 0; b < 8 && result.data.size() < length; ++b) {
            if (in >= file.size()) {
                broken = true;
                break;
            }
            if (flags & (1u << b)) {
                emit(file[in++]);
                continue;
            }
            if (in + 1 >= file.size()) {
                broken = true;
                break;
            }
            const unsigned lo = file[in];
            const unsigned hi = file[in + 1];
            in += 2;
            const unsigned pos = lo | ((hi & 0xF0) << 4);
            const std::size_t len = (hi & 0x0F) + kMinMatch;
            for (std::size_t k = 0; k < len && result.data.size() < length; ++k)
                emit(ring[(pos + k) & (kRingSize - 1)]);
        }
    }
    if (result.data.size() < length)
        result.error = "compressed data ends before the announced length";
    return result;
}

unsigned long LZCopyFile(const std::filesystem::path& source,
                         const std::filesystem::path& destination)
{
    // Neither end may be a FIFO (the open would wait for good) or a link
    // out of the network.
    std::string text;
    if (const unsigned long error = ReadRegularFile(source, text))
        return error == winerr::PathNotFound ? winerr::FileNotFound : error;
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    text = std::string();

    std::vector<std::uint8_t> expanded;
    const std::vector<std::uint8_t>* contents = &bytes;
    if (IsSzdd(bytes)) {
        SzddExpansion x = SzddExpand(bytes);
        if (!x.ok())
            return 13;
        expanded = std::move(x.data);
        contents = &expanded;
    }
    OpenedFile out = OpenRegularFile(destination, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out.ok())
        return out.error();
    // Every byte written and stored, or the error that kept it (112 for a full disk).
    const char* data = reinterpret_cast<const char*>(contents->data());
    std::size_t left = contents->size();
    while (left > 0) {
        const ssize_t n = ::write(out.fd(), data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? WinErrorOfErrno(errno) : 112;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return out.Close();
}

} // namespace dm
