// CANprocess: downloads one block from a device in acknowledged chunks.
#pragma once

#include "app/buslink/TransferWorker.h"

namespace tessaline {

// Download kinds: the block, its register and its time-outs.
inline constexpr std::uint8_t kDownloadErrorList = 0;  // register 4, 1 s idle, 10 s total
inline constexpr std::uint8_t kDownloadMenuList = 1;   // register 1, 2 s idle, 15 s total
inline constexpr std::uint8_t kDownloadDataFile = 4;   // register 7, 2 s idle, 30 s total

class CANprocess : public TransferWorker {
public:
    // Starts the download at once. An unknown kind downloads the data file.
    CANprocess(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer, std::uint8_t node,
               std::uint8_t kind);
    ~CANprocess() override;

    const std::uint8_t kind;

private:
    std::uint32_t Execute() override;
};

}  // namespace tessaline
