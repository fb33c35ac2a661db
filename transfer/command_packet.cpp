#include "transfer/command_packet.h"

#include <algorithm>

#include "transfer/block_checks.h"

namespace bridgit {

std::optional<std::string> EncodeCommandPacket(std::string_view payload) {
  if (payload.size() > kMaxCommandPayload) return std::nullopt;
  std::string packet;
  packet.reserve(payload.size() + kCommandSizeBytes + 1);
  packet += static_cast<char>(payload.size() / 256);
  packet += static_cast<char>(payload.size() % 256);
  packet += payload;
  packet += static_cast<char>(Checksum8(payload));
  return packet;
}

std::size_t TCommandPacketParser::Needed() const {
  switch (part_) {
    case TPart::kSize: return kCommandSizeBytes - sizeBytes_.size();
    case TPart::kPayload: return size_ - payload_.size();
    case TPart::kCheck: return 1;
    case TPart::kDone: return 0;
  }
  return 0;
}

std::size_t TCommandPacketParser::Feed(std::string_view bytes) {
  std::size_t used = 0;
  while (used < bytes.size() && part_ != TPart::kDone) {
    const std::size_t take = std::min(Needed(), bytes.size() - used);
    const std::string_view part = bytes.substr(used, take);
    used += take;
    switch (part_) {
      case TPart::kSize:
        sizeBytes_ += part;
        if (sizeBytes_.size() == kCommandSizeBytes) {
          size_ = static_cast<unsigned char>(sizeBytes_[0]) * 256u + static_cast<unsigned char>(sizeBytes_[1]);
          payload_.reserve(size_);
          part_ = size_ == 0 ? TPart::kCheck : TPart::kPayload;
        }
        break;
      case TPart::kPayload:
        payload_ += part;
        if (payload_.size() == size_) part_ = TPart::kCheck;
        break;
      case TPart::kCheck:
        good_ = static_cast<unsigned char>(part[0]) == Checksum8(payload_);
        part_ = TPart::kDone;
        break;
      case TPart::kDone: break;
    }
  }
  return used;
}

}  // namespace bridgit
