#include "cli/SettingsJson.h"

namespace vr31k::cli {

Json DialupSettingsJson(const DialupSettings& s) {
    Json j = Json::MakeObject();
    j.Set("ChargeType", s.chargeType)
        .Set("FreePackets", s.freePackets)
        .Set("FreeCall1", s.freeCall1)
        .Set("PacketCharge2", s.packetCharge2)
        .Set("MaxCharge2", s.maxCharge2)
        .Set("PacketSize", s.packetSize)
        .Set("NoticeCharge", s.noticeCharge)
        .Set("NoticeRatio", s.noticeRatio)
        .Set("ChargeDay", s.chargeDay)
        .Set("EntryIndex", s.entryIndex);
    return j;
}

}  // namespace vr31k::cli
