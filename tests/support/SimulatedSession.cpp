#include "support/SimulatedSession.h"

#include "platform/linux/LinuxDialupService.h"

namespace vr31k::test {

namespace {

std::unique_ptr<IDialupService> DialupFor(const std::string& folder, const std::string& simLink) {
    if (simLink.empty()) return CreateLinuxDialupService({});
    LinuxDialupConfig config;
    config.link = DialLink::Simulated;
    config.simulatedLinkPath = simLink;
    config.privateBase = folder;
    config.runDir = folder;
    return CreateLinuxDialupService(config);
}

}  // namespace

SimulatedSession::SimulatedSession(std::string dataFolder, std::string simLink, CardTimings timings)
    : folder(std::move(dataFolder)),
      card(timings),
      settings(folder + "/VR31KUTL.ini"),
      services(std::make_unique<Services>(DialupFor(folder, simLink))) {}

SimulatedSession::~SimulatedSession() {
    session.reset();  // the monitor stops before the services go
}

bool SimulatedSession::Prepare(std::string& error, bool withHistory) {
    if (!simulator.Start(error)) return false;
    // As the application starts them: the spool imported, the live record kept.
    const ServicesStart start{.paths = MakeDataPaths(folder),
                              .solvaneMode = utility.solvaneMode,
                              .port = port.value_or(simulator.PortPath()),
                              .openHistory = withHistory};
    const StartFindings found = services->Start(settings, start);
    if (found.entriesSetup != 0) error = "the entries did not set up";
    else if (withHistory && !found.history.Ok()) error = "the history did not open";
    return error.empty();
}

void SimulatedSession::Start(SessionOptions options) {
    if (options.dataFolder.empty()) options.dataFolder = folder;
    session = std::make_unique<WindowSession>(*services, card, settings, utility, port.value_or(simulator.PortPath()),
                                              view, options);
    session->Start();
}

int SimulatedSession::Rows() {
    int rows = 0;
    Charge().History().ForEachRow([&](const HistoryRow&) { return ++rows, true; });
    return rows;
}

bool SimulatedSession::Connect() {
    Window().OnCommand(kCmdTrayConnect);
    return Window().State() == kCardDialing &&
           view.Pump([&] { return view.timers.count(kTimerConnection) == 1; });
}

}  // namespace vr31k::test
