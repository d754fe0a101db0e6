#include "cli/SettingsJson.h"

#include "cli/ReadableValues.h"

namespace vr31k::cli {

Json DialupSettingsJson(const DialupSettings& s) {
    Json j = Json::MakeObject();
    j.Set("ChargeType", ChargeTypeJson(s.chargeType))
        .Set("FreePackets", PlanValue(s.freePackets))
        .Set("FreeCall1", PlanValue(s.freeCall1))
        .Set("PacketCharge2", PlanValue(s.packetCharge2))
        .Set("MaxCharge2", PlanValue(s.maxCharge2))
        .Set("PacketSize", PlanValue(s.packetSize))
        .Set("NoticeCharge", PlanValue(s.noticeCharge))
        .Set("NoticeRatio", PlanValue(s.noticeRatio))
        .Set("ChargeDay", ClosingDayJson(s.chargeDay))
        .Set("EntryIndex", s.entryIndex);
    return j;
}

}  // namespace vr31k::cli
