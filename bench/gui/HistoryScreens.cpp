// Pictures of the history list and both totals pages for the documents, offscreen,
// over a generated history: history_screens OUTPUT_FOLDER
#include "GeneratedHistory.h"
#include "gui/CCfgHistoryListDlg.h"
#include "gui/CCfgHistoryTotalSheet.h"
#include "mainwnd/HistoryViewRules.h"

#include <QApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeView>

#include <cstdio>

using namespace vr31k;

namespace {

struct NoBoxes : IMessageBox {
    MessageResult Show(const MessageBoxRequest&) override { return MessageResult::No; }
};

bool Save(QWidget& widget, const QString& path) {
    widget.show();
    QApplication::processEvents();
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: history_screens OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const OleDate now = MakeOleDate(2008, 5, 12, 21, 30, 0);

    ChargeAccounting charge;
    const std::string folder = bench::ScratchFolder("history-screens");
    if (charge.History().OpenHistory(folder + "/VR31KUTL.mdb", std::nullopt) != kDbOk) return 1;
    // Three periods of a light user, up to now: about 40 kB a connection, four a day.
    if (!bench::GenerateHistory(charge.History(), {320, 82, now, 40000, 0})) return 1;
    charge.SetClock([now] { return now; });
    DialupSettings& plan = charge.Plan();
    plan.chargeType = kChargeTwoStage;
    plan.packetCharge2 = 0.21;
    plan.freePackets = 4762;
    plan.freeCall1 = 1000;
    plan.maxCharge2 = 4980;
    plan.noticeCharge = 3000;
    plan.noticeRatio = 80;
    plan.chargeDay = 20;
    charge.DerivePlan();

    NoBoxes boxes;
    const SettingsStore settings(folder + "/VR31KUTL.ini");
    bool ok = true;
    {
        CCfgHistoryListDlg list(charge.History(), settings, boxes);
        list.findChild<QTreeView*>(QStringLiteral("historyList"))->header()->sectionClicked(kColEnd);
        list.findChild<QTreeView*>(QStringLiteral("historyList"))->header()->sectionClicked(kColEnd);
        ok &= Save(list, out + QStringLiteral("/history-list.png"));
    }
    CCfgHistoryTotalSheet sheet(charge);
    ok &= Save(sheet, out + QStringLiteral("/history-totals-month.png"));
    sheet.Pages()->setCurrentIndex(1);
    ok &= Save(sheet, out + QStringLiteral("/history-totals-entry.png"));
    return ok ? 0 : 1;
}
