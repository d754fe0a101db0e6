#include "cli/CardTask.h"

#include "app/CardPort.h"
#include "doctor/Doctor.h"
#include "common/StringIds.h"
#include "common/TerminalText.h"

#include <ostream>

namespace vr31k::cli {

int SolvaneMode(CliContext& context) { return context.Settings().ReadUtility().solvaneMode; }

void TellPortChoice(CliContext& context, const CardPortChoice& choice) {
    if (!choice.distrusted.empty()) {
        context.Err() << "vr31kctl: PortName " << TerminalText(choice.distrusted) << " of the settings is not used ("
                      << TerminalText(choice.reason) << "); the card is looked up instead\n";
    }
}

std::string ResolvePort(CliContext& context) {
    const CardPortChoice choice =
        ResolveCardPort(context.PortOption().value_or(std::string()), context.Settings(), SolvaneMode(context) != 0);
    TellPortChoice(context, choice);
    return choice.port;
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
