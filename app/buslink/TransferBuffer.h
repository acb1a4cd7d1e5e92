// The one byte buffer of block transfers: filled by a download, sent by an upload,
// read or filled by the caller only while no transfer runs.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaline {

using TransferBuffer = std::vector<std::uint8_t>;

}  // namespace tessaline
