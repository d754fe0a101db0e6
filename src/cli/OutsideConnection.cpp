#include "cli/OutsideConnection.h"

#include "app/Services.h"
#include "cli/CardTask.h"
#include "dialup/CWRasCtrl.h"
#include "cli/ReadableValues.h"
#include "mainwnd/LinkWarning.h"

namespace vr31k::cli {

namespace {

// The link connect would adopt, by the same rule.
std::optional<ConnectionInfo> CardLinkOf(IDialupService& service, int acceptAnyDevice) {
    std::vector<ConnectionInfo> links;
    if (service.EnumConnections(links) != 0) return std::nullopt;
    const ConnectionInfo* found = CWRasCtrl::CardConnectionOf(links, acceptAnyDevice);
    return found != nullptr ? std::optional(*found) : std::nullopt;
}

// The services with the card's port told, and the card's modem mode; nothing without a port.
template <typename Use>
auto WithCardPort(CliContext& context, Use use) -> decltype(use(std::declval<Services&>(), 0)) {
    const std::string port = ResolvePort(context);
    if (port.empty()) return {};
    Services services;
    const int solvane = SolvaneMode(context);
    services.UseCardPort(port, solvane);
    return use(services, solvane);
}

}  // namespace

std::optional<Json> OutsideConnectionFigures(IDialupService& service, int acceptAnyDevice, const LinkPathProbe& path) {
    if (const std::optional<ConnectionInfo> found = CardLinkOf(service, acceptAnyDevice)) {
        const ConnectionInfo& link = *found;
        Json figures = Json::MakeObject();
        figures.Set("state", "outside")
            .Set("interface", link.interfaceName)
            .Set("port", link.port)
            .Set("pid", link.pid > 0 ? Json(link.pid) : Json(nullptr));
        if (!link.entryName.empty()) figures.Set("entry", link.entryName);
        ConnectionStats stats;
        if (service.GetConnectionStatistics(link.handle, stats) == 0) {
            ConnectionSnapshot snapshot = SnapshotOf(link.entryName, stats);
            if (path) snapshot.warning = LinkWarningOf(path(link.interfaceName)).line;
            WriteSnapshot(figures, snapshot);
        }
        figures.Set("hint", "vr31kctl connect adopts this connection and records it in the history when it ends");
        return figures;
    }
    return std::nullopt;
}

std::optional<int> ReportOutsideConnection(CliContext& context) {
    return WithCardPort(context, [&](Services& services, int solvane) -> std::optional<int> {
        const std::optional<Json> figures = OutsideConnectionFigures(services.Dialup(), solvane, services.LinkPath());
        return figures ? std::optional(context.Print(*figures)) : std::nullopt;
    });
}

std::string CardLinkInterface(CliContext& context) {
    return WithCardPort(context, [](Services& services, int solvane) {
        const std::optional<ConnectionInfo> link = CardLinkOf(services.Dialup(), solvane);
        return link ? link->interfaceName : std::string();
    });
}

}  // namespace vr31k::cli
