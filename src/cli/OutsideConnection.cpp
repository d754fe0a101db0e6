#include "cli/OutsideConnection.h"

#include "app/Services.h"
#include "cli/CardTask.h"
#include "dialup/CWRasCtrl.h"
#include "cli/ReadableValues.h"

namespace vr31k::cli {

std::optional<Json> OutsideConnectionFigures(IDialupService& service, int acceptAnyDevice) {
    std::vector<ConnectionInfo> links;
    if (service.EnumConnections(links) != 0) return std::nullopt;
    // The link connect would adopt, by the same rule.
    if (const ConnectionInfo* found = CWRasCtrl::CardConnectionOf(links, acceptAnyDevice)) {
        const ConnectionInfo& link = *found;
        Json figures = Json::MakeObject();
        figures.Set("state", "outside")
            .Set("interface", link.interfaceName)
            .Set("port", link.port)
            .Set("pid", link.pid > 0 ? Json(link.pid) : Json(nullptr));
        if (!link.entryName.empty()) figures.Set("entry", link.entryName);
        ConnectionStats stats;
        if (service.GetConnectionStatistics(link.handle, stats) == 0) {
            WriteSnapshot(figures, SnapshotOf(link.entryName, stats));
        }
        figures.Set("hint", "vr31kctl connect adopts this connection and records it in the history when it ends");
        return figures;
    }
    return std::nullopt;
}

std::optional<int> ReportOutsideConnection(CliContext& context) {
    const std::string port = ResolvePort(context);
    if (port.empty()) return std::nullopt;
    Services services;
    const int solvane = SolvaneMode(context);
    services.UseCardPort(port, solvane);
    if (const std::optional<Json> figures = OutsideConnectionFigures(services.Dialup(), solvane)) {
        return context.Print(*figures);
    }
    return std::nullopt;
}

}  // namespace vr31k::cli
