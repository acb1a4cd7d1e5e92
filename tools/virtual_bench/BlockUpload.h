// The device's side of a block upload to its data file: it collects the chunks
// and, at the empty closing chunk, accepts the block when its check word is right.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DeviceBlocks.h"

namespace tessaline::bench {

class BlockUpload {
public:
    enum class Outcome {
        Chunk,     // a chunk was taken; acknowledge it
        Accepted,  // the closing chunk of a valid block; acknowledge it
        Refused,   // the closing chunk of a bad block, or refusal ordered; acknowledge with R
    };

    // One upload frame. A frame with R starts a new block; an empty frame without
    // R closes the block.
    Outcome Take(std::uint8_t flags, const std::uint8_t* data, std::size_t count, bool refuse);

    // The block of the last accepted upload.
    const Block& Accepted() const { return accepted_; }

private:
    Block collecting_;
    Block accepted_;
};

}  // namespace tessaline::bench
