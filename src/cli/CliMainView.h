#pragma once
// The main window's view for `vr31kctl connect`: no window and no dialogs. Boxes are
// recorded and told as the command line tells them; the connect question is answered
// by the command itself and the disconnect question by the hang-up request (Ctrl-C,
// SIGTERM, SIGHUP, `vr31kctl disconnect`); posted tasks and timers run in the
// command's event loop; the connecting and disconnecting dialogs are waits in it.
#include "cli/CliCardUi.h"
#include "cli/CliEventLoop.h"
#include "mainwnd/MainView.h"

#include <iosfwd>
#include <optional>

namespace vr31k::cli {

class CliMainView final : public IMainView {
public:
    struct Hooks {
        std::function<void(int command)> command;  // a posted command reaches the window
        std::function<bool()> takeCancel;         // true once for each hang-up request
        std::function<void()> dialling;           // the connecting dialog opened
        std::function<void(const std::string& entry, const std::string& duration, const std::string& volume)>
            tick;
    };

    // `tell` shows boxes (null: recorded only); `say` takes the progress lines.
    CliMainView(CliEventLoop& loop, std::ostream* tell, std::ostream& say, std::string entry, Hooks hooks);

    const std::vector<ShownBox>& Boxes() const { return m_ui.Boxes(); }
    std::string LastText() const { return m_ui.LastText(); }
    bool DialCancelled() const { return m_cancelled; }
    void SetEntry(std::string entry) { m_entry = std::move(entry); }

    MessageResult Show(const MessageBoxRequest& request) override;
    std::optional<std::string> AskPin(int attemptsLeft) override { return m_ui.AskPin(attemptsLeft); }
    std::optional<PukEntry> AskPuk(int attemptsLeft) override { return m_ui.AskPuk(attemptsLeft); }
    std::optional<bool> ChoosePinLock(bool lockOn) override { return m_ui.ChoosePinLock(lockOn); }
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override { return m_ui.AskPinChange(attemptsLeft); }

    void ApplyControls(const ControlStates&) override {}
    void SetSignalTexts(const SignalDisplayTexts&) override {}
    void SetConnectTexts(bool) override {}
    void EnableConnectButton(bool) override {}
    void FillEntries(const ComboFill&) override {}
    std::string SelectedEntry() const override { return m_entry; }
    void SetConnectionValues(const std::string& entry, const std::string& duration,
                             const std::string& volume) override;
    void ShowPicture(int, const std::string&) override {}

    void StartTimer(int id, int intervalMs) override { m_loop.StartTimer(id, intervalMs); }
    void StopTimer(int id) override { m_loop.StopTimer(id); }

    bool IsShown() const override { return false; }
    bool IsMinimisedOrHidden() const override { return false; }
    bool ToTray(bool) override { return false; }
    void FromTray(bool) override {}
    void RaiseToTop() override {}
    void SetTrayIcon(int) override {}
    void SetTrayTip(const std::string&) override {}
    void ShowBalloon(const std::string&, const std::string&) override {}
    void PostCommand(int command) override;
    void DestroyWindow() override {}
    void SetSleepRefusal(int) override {}

    bool RunUtilitySettings(UtilitySettings&) override { return false; }
    bool RunDialupSettings(EntryList&) override { return false; }
    // The command line changes no entries on its own: `vr31kctl entries sync` does.
    SyncDialogEnd RunSyncDialog(EntryList&) override { return SyncDialogEnd::Cancel; }
    bool RunHistory() override { return false; }
    void RunTotals() override {}
    void ShowCardInfo(const std::string&, const std::string&) override {}
    void ShowAbout() override {}
    void OpenHelp() override {}

    void Post(std::function<void()> task) override { m_loop.Post(std::move(task)); }
    bool RunConnectingDialog() override;
    bool ConnectingDialogOpen() const override { return m_connecting; }
    void SetConnectingText(int textId) override;
    void EndConnectingDialog(bool connected) override;
    void RunDisconnectingDialog() override;
    bool DisconnectingDialogOpen() const override { return m_disconnecting; }
    void EndDisconnectingDialog() override { m_disconnecting = false; }
    // The result's figures go out as the command's result, from the same counters.
    void RunResultDialog(const ConnectionFiguresText&) override {}
    // The status file (`vr31kctl status`) is written on each tick instead.
    void RunStatusDialog(const ConnectionFiguresText&) override {}
    bool StatusDialogOpen() const override { return false; }
    void RefreshStatusDialog(const ConnectionFiguresText&) override {}
    void CloseStatusDialog() override {}

private:
    CliEventLoop& m_loop;
    CCliCardUi m_ui;
    std::ostream& m_say;
    std::string m_entry;
    Hooks m_hooks;
    bool m_connecting = false;
    std::optional<bool> m_connectingEnd;
    bool m_cancelled = false;
    bool m_disconnecting = false;
};

}  // namespace vr31k::cli
