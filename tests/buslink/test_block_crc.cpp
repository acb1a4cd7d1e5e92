#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/buslink/BlockCrc.h"

namespace tessaline {
namespace {

// A block with a zero check word followed by the payload bytes.
std::vector<std::uint8_t> Unchecked(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> block(2 + payload.size(), 0);
    std::copy(payload.begin(), payload.end(), block.begin() + 2);
    return block;
}

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

struct CrcCase {
    const char* what;
    std::vector<std::uint8_t> payload;
    std::uint16_t crc;
};

TEST(BlockCrc, KnownVectors) {
    const CrcCase cases[] = {
        {"check text 123456789", Text("123456789"), 0x31C3},
        {"abc", Text("abc"), 0x9DD6},
        {"empty payload", {}, 0x0000},
        // One byte from 0 is the table row of that byte.
        {"table row 1", {0x01}, 0x1021},
        {"table row 2", {0x02}, 0x2042},
        {"table row 255", {0xFF}, 0x1EF0},
    };
    for (const auto& c : cases) {
        const auto block = Unchecked(c.payload);
        EXPECT_EQ(BlockCrc(0, block.data(), c.payload.size()), c.crc) << c.what;
    }
}

TEST(BlockCrc, SplitInputGivesTheCrcOfTheWhole) {
    const auto block = Unchecked(Text("123456789"));
    const std::size_t count = block.size() - 2;
    for (std::size_t split = 0; split <= count; ++split) {
        const std::uint16_t first = BlockCrc(0, block.data(), split);
        // The second piece starts `split` bytes further on, still after a 2-byte lead.
        EXPECT_EQ(BlockCrc(first, block.data() + split, count - split), 0x31C3) << "split at " << split;
    }
}

TEST(BlockCrc, CountsOnlyTheGivenBytesAfterTheCheckWord) {
    // Bytes 0..1 and anything past count must not change the result.
    const std::vector<std::uint8_t> block{0xAA, 0x55, 'a', 'b', 'c', 0x99};
    EXPECT_EQ(BlockCrc(0, block.data(), 3), 0x9DD6);
}

struct ValidityCase {
    const char* what;
    std::vector<std::uint8_t> block;
    bool valid;
};

TEST(BlockIsValid, ChecksTheWordLeastSignificantByteFirst) {
    const ValidityCase cases[] = {
        {"abc with its check word", {0xD6, 0x9D, 'a', 'b', 'c'}, true},
        {"check word byte order swapped", {0x9D, 0xD6, 'a', 'b', 'c'}, false},
        {"one payload bit flipped", {0xD6, 0x9D, 'a', 'b', 'b'}, false},
        {"empty block with zero word", {0x00, 0x00}, true},
        {"empty block with non-zero word", {0x00, 0x01}, false},
        {"one byte", {0x00}, false},
        {"nothing", {}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(BlockIsValid(c.block), c.valid) << c.what;
}

TEST(SealBlock, PutsTheCheckWordOfThePayloadInFront) {
    EXPECT_EQ(SealBlock(Text("abc")), (std::vector<std::uint8_t>{0xD6, 0x9D, 'a', 'b', 'c'}));
    EXPECT_EQ(SealBlock({}), (std::vector<std::uint8_t>{0x00, 0x00}));
    const auto sealed = SealBlock(Text("123456789"));
    EXPECT_TRUE(BlockIsValid(sealed));
    EXPECT_EQ(sealed[0] | (sealed[1] << 8), 0x31C3);
}

}  // namespace
}  // namespace tessaline
