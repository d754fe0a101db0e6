#include "cli/CardTask.h"

#include "app/doctor/Doctor.h"
#include "card/CardDetection.h"
#include "common/PortTrust.h"
#include "common/StringIds.h"

#include <ostream>
#include <unistd.h>

namespace vr31k::cli {

int SolvaneMode(CliContext& context) { return context.Settings().ReadUtility().solvaneMode; }

std::string ResolvePort(CliContext& context) {
    if (context.PortOption() && !context.PortOption()->empty()) return *context.PortOption();
    const std::string named = context.Settings().ReadPortName();
    if (!named.empty()) {
        const PortTrust trust = CheckPortName(named, getuid());
        if (trust.Trusted()) return trust.device;
        context.Err() << "vr31kctl: PortName " << named << " of the settings is not used (" << trust.reason
                      << "); the card is looked up instead\n";
    }
    std::string port;
    FindCardPort(port, false, false, SolvaneMode(context) != 0);
    return port;
}

void TakeCodeOptions(CliArgs& args, CCliCardUi& ui) {
    for (auto& pin : args.Options("--pin")) ui.pins.push_back(std::move(pin));
    const auto puks = args.Options("--puk");
    const auto newPins = args.Options("--new-pin");
    if (puks.size() != newPins.size()) throw UsageError("each --puk needs its --new-pin");
    for (size_t i = 0; i < puks.size(); ++i) ui.puks.push_back({puks[i], newPins[i], newPins[i]});
}

CardTask::CardTask(CliContext& context)
    : ui(context.JsonOutput() ? nullptr : &context.Err()),
      port(ResolvePort(context)),
      check(card, ui, CardCheckOptions{SolvaneMode(context)}) {}

std::string CardTask::BusyPortCause() const {
    const auto& boxes = ui.Boxes();
    if (boxes.empty() || boxes.back().captionId != ids::IDS_PORT_OPEN_ERROR_CAPTION) return {};
    return PortHoldersSentence(port);
}

int CardTask::FailCheck(CliContext& context) {
    const int caption = ui.Boxes().empty() ? 0 : ui.Boxes().back().captionId;
    if (caption == 0) return context.Fail(CARD_NOT_FOUND, "card-not-found", "no card found (give --port)");
    return context.FailWithMessage(caption, "card-check-failed", caption + 1);
}

}  // namespace vr31k::cli
