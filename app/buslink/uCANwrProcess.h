// CANwrProcess: uploads the transfer buffer to register 7 of a device in
// acknowledged chunks, closed by an empty chunk.
#pragma once

#include "app/buslink/TransferWorker.h"

namespace tessaline {

class CANwrProcess : public TransferWorker {
public:
    // Starts the upload at once; the buffer must hold the whole block.
    CANwrProcess(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer, std::uint8_t node);
    ~CANwrProcess() override;

private:
    std::uint32_t Execute() override;
};

}  // namespace tessaline
