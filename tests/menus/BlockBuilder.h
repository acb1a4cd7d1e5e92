// Builds device blocks for the parser tests, record by record, sealed with their
// check word or left raw to be spoilt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/DataType.h"
#include "app/buslink/BlockCrc.h"
#include "app/buslink/TransferBuffer.h"

namespace tessaline::testing {

struct MenuRecord {
    std::uint8_t reg = 1;
    std::uint8_t menuByte = 0;
    std::uint8_t typeCode = 0;
    std::uint8_t rights = 0x3F;
    std::vector<std::uint8_t> minBytes{0};
    std::vector<std::uint8_t> maxBytes{0xFF};
    std::string shortName = "R1";
    std::string printFormat = "%d";
    std::string name = "Register 1";
};

class BlockBuilder {
public:
    BlockBuilder& Bytes(const std::vector<std::uint8_t>& bytes) {
        payload_.insert(payload_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    BlockBuilder& Text(const std::string& text) {
        payload_.insert(payload_.end(), text.begin(), text.end());
        payload_.push_back(0);
        return *this;
    }
    BlockBuilder& Menu(const MenuRecord& r) {
        Bytes({r.reg, r.menuByte, r.typeCode, r.rights}).Bytes(r.minBytes).Bytes(r.maxBytes);
        return Text(r.shortName).Text(r.printFormat).Text(r.name);
    }
    BlockBuilder& Error(std::uint16_t mask, const std::string& name, const std::string& text) {
        Bytes({static_cast<std::uint8_t>(mask & 0xFF), static_cast<std::uint8_t>(mask >> 8)});
        return Text(name).Text(text);
    }

    // The block with the check word of its payload.
    TransferBuffer Sealed() const { return SealBlock(payload_); }
    // The sealed block less its last `count` bytes, sealed again: a device that
    // sent a cut block with a check word that matches.
    TransferBuffer SealedWithoutLast(std::size_t count) const {
        return SealBlock(std::vector<std::uint8_t>(payload_.begin(), payload_.end() - static_cast<long>(count)));
    }

private:
    std::vector<std::uint8_t> payload_;
};

}  // namespace tessaline::testing
