#pragma once
// The main window's view as a test sees it: every control update, picture, timer and
// tray operation is recorded; boxes and SIM prompts go to the scripted user.
#include "mainwnd/MainView.h"
#include "support/ScriptedUi.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vr31k::test {

class RecordingView : public IMainView {
public:
    ScriptedUi user;
    ControlStates controls;
    SignalDisplayTexts signalTexts;
    ComboFill entries;
    bool disconnectTexts = false;
    int picture = 0;
    std::string pictureWords;
    int trayIcon = 0;
    std::string trayTip;
    std::map<int, int> timers;  // running timers: id -> interval
    bool shown = true;
    bool trayAvailable = true;
    bool destroyed = false;
    int fromTrayCalls = 0;
    int sleepRefusal = 0;
    std::vector<int> refusals;  // every change of the standby refusal
    std::vector<int> posted;
    // Dialog scripts
    std::optional<UtilitySettings> utilityAnswer;  // OK with these values; nothing: Cancel
    bool dialupOk = true;
    SyncDialogEnd syncEnd = SyncDialogEnd::Cancel;
    int syncDialogs = 0;
    int dialupSheets = 0;
    bool busyDuringSheet = false;
    std::vector<std::pair<std::string, std::string>> cardInfos;
    std::function<void()> duringPinDialog;

    // Runs while a box is up, before the scripted user answers it.
    std::function<void(const MessageBoxRequest&)> whileBox;
    MessageResult Show(const MessageBoxRequest& request) override {
        if (whileBox) whileBox(request);
        return user.Show(request);
    }
    void ForceForeground() override { user.ForceForeground(); }
    void StateChanged() override {}
    std::optional<std::string> AskPin(int attempts) override {
        if (duringPinDialog) duringPinDialog();
        return user.AskPin(attempts);
    }
    std::optional<PukEntry> AskPuk(int attempts) override { return user.AskPuk(attempts); }
    std::optional<bool> ChoosePinLock(bool lockOn) override { return user.ChoosePinLock(lockOn); }
    std::optional<PinChangeEntry> AskPinChange(int attempts) override { return user.AskPinChange(attempts); }

    void ApplyControls(const ControlStates& c) override { controls = c; }
    void SetSignalTexts(const SignalDisplayTexts& t) override { signalTexts = t; }
    void SetConnectTexts(bool disconnect) override { disconnectTexts = disconnect; }
    void EnableConnectButton(bool) override {}
    void FillEntries(const ComboFill& fill) override { entries = fill; }
    std::string SelectedEntry() const override {
        return entries.selected >= 0 ? entries.items[static_cast<size_t>(entries.selected)] : std::string();
    }
    void SetConnectionValues(const std::string&, const std::string&, const std::string&) override {}
    void ShowPicture(int id, const std::string& words) override {
        picture = id;
        pictureWords = words;
    }
    void StartTimer(int id, int ms) override { timers[id] = ms; }
    void StopTimer(int id) override { timers.erase(id); }
    bool IsShown() const override { return shown; }
    bool IsMinimisedOrHidden() const override { return !shown; }
    bool ToTray(bool) override {
        if (!trayAvailable) return false;
        shown = false;
        return true;
    }
    void FromTray(bool) override {
        ++fromTrayCalls;
        shown = true;
    }
    void RaiseToTop() override {}
    void SetTrayIcon(int id) override { trayIcon = id; }
    void SetTrayTip(const std::string& tip) override { trayTip = tip; }
    // The titles of the balloons shown (the empty one that takes a balloon down is none).
    std::vector<std::string> balloons;
    void ShowBalloon(const std::string& title, const std::string&) override {
        if (!title.empty()) balloons.push_back(title);
    }
    void PostCommand(int command) override { posted.push_back(command); }
    void DestroyWindow() override { destroyed = true; }
    void SetSleepRefusal(int reason) override {
        sleepRefusal = reason;
        refusals.push_back(reason);
    }
    bool RunUtilitySettings(UtilitySettings& s) override {
        if (!utilityAnswer) return false;
        s = *utilityAnswer;
        return true;
    }
    bool RunDialupSettings(EntryList&) override {
        ++dialupSheets;
        busyDuringSheet = sleepRefusal != 0;
        return dialupOk;
    }
    SyncDialogEnd RunSyncDialog(EntryList&) override {
        ++syncDialogs;
        return syncEnd;
    }
    bool RunHistory() override { return false; }
    void RunTotals() override {}
    void ShowCardInfo(const std::string& n, const std::string& v) override { cardInfos.emplace_back(n, v); }
    void ShowAbout() override {}
    void OpenHelp() override {}

    // --- the connection: posted tasks run in the modal dialogs' loops and in Pump()
    std::vector<int> connectingTexts;
    std::vector<ConnectionFiguresText> results;
    int statusRefreshes = 0;
    int disconnectingDialogs = 0;
    bool cancelConnecting = false;  // the user presses Cancel once the dialog is up
    std::function<void()> whileConnecting;  // once, at the next connecting dialog
    std::function<void()> whileDisconnecting;
    std::chrono::milliseconds modalLimit{20000};
    int modalTimeouts = 0;  // modal dialogs nothing ended

    void Post(std::function<void()> task) override {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(task));
        m_cv.notify_all();
    }
    // Runs posted tasks until `done` (or the time runs out); false on time-out.
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                if (!m_cv.wait_until(lock, end, [&] { return !m_posted.empty(); })) return done();
                task = std::move(m_posted.front());
                m_posted.pop_front();
            }
            task();
        }
        return true;
    }
    bool RunConnectingDialog() override {
        m_connecting = true;
        m_connectingEnd.reset();
        if (cancelConnecting) m_connectingEnd = false;
        if (whileConnecting) std::exchange(whileConnecting, nullptr)();  // once
        if (!Pump([&] { return m_connectingEnd.has_value(); }, modalLimit)) ++modalTimeouts;
        m_connecting = false;
        return m_connectingEnd.value_or(false);
    }
    bool ConnectingDialogOpen() const override { return m_connecting; }
    void SetConnectingText(int id) override { connectingTexts.push_back(id); }
    void EndConnectingDialog(bool connected) override {
        if (!m_connectingEnd) m_connectingEnd = connected;
    }
    void RunDisconnectingDialog() override {
        ++disconnectingDialogs;
        m_disconnecting = true;
        if (whileDisconnecting) whileDisconnecting();
        if (!Pump([&] { return !m_disconnecting; }, modalLimit)) ++modalTimeouts;
        m_disconnecting = false;
    }
    bool DisconnectingDialogOpen() const override { return m_disconnecting; }
    void EndDisconnectingDialog() override { m_disconnecting = false; }
    void RunResultDialog(const ConnectionFiguresText& figures) override { results.push_back(figures); }
    void RunStatusDialog(const ConnectionFiguresText&) override { m_status = true; }
    bool StatusDialogOpen() const override { return m_status; }
    ConnectionFiguresText statusFigures;  // the status dialog's last
    void RefreshStatusDialog(const ConnectionFiguresText& figures) override {
        ++statusRefreshes;
        statusFigures = figures;
    }
    void CloseStatusDialog() override { m_status = false; }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_posted;
    bool m_connecting = false;
    std::optional<bool> m_connectingEnd;
    bool m_disconnecting = false;
    bool m_status = false;
};

}  // namespace vr31k::test
