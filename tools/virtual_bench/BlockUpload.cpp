#include "BlockUpload.h"

#include "app/buslink/BlockCrc.h"
#include "app/buslink/FrameId.h"

namespace tessaline::bench {

BlockUpload::Outcome BlockUpload::Take(std::uint8_t flags, const std::uint8_t* data, std::size_t count, bool refuse) {
    if (flags & fl::R) collecting_.clear();
    if (count > 0 || (flags & fl::R)) {
        collecting_.insert(collecting_.end(), data, data + count);
        return Outcome::Chunk;
    }
    Block block;
    block.swap(collecting_);
    if (refuse || !BlockIsValid(block)) return Outcome::Refused;
    accepted_ = std::move(block);
    return Outcome::Accepted;
}

}  // namespace tessaline::bench
