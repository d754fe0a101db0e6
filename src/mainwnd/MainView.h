#pragma once
// What the main window's logic asks of the window it runs in: every control update,
// picture, timer, tray operation and dialog. The Qt window implements it; tests
// implement it with a recording double. Message boxes and the SIM dialogs come through
// ICardUi, which this interface extends.
#include "card/CardUi.h"
#include "common/SettingsStore.h"
#include "dialup/EntryCheck.h"
#include "mainwnd/MainWindowRules.h"
#include "mainwnd/ProjectionText.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

// The six figures of the status and result dialogs, as shown, and where the period's
// charge is heading and the link's warning (only the status dialog shows those).
struct ConnectionFiguresText {
    std::string time;
    std::string sent;
    std::string received;
    std::string charge;     // "---" without a plan
    std::string freeLeft;   // the free allowance left
    std::string limitLeft;  // the flat-rate allowance left
    ProjectionText projection{};
    std::string pace{};  // the period's pace in one line; empty when the period has no end
    // The link's top programs (or that it has none), where they were read: the status dialog's.
    std::vector<std::string> programs{};
    std::string warning{};  // the link's warning line; empty when there is none
    bool operator==(const ConnectionFiguresText&) const = default;
};

class IMainView : public ICardUi {
public:
    // --- controls
    // Enables, shows and empties the controls as `controls` says.
    virtual void ApplyControls(const ControlStates& controls) = 0;
    virtual void SetSignalTexts(const SignalDisplayTexts& texts) = 0;
    // Connect button 1018 and the two connect items: connect (false) or disconnect texts.
    virtual void SetConnectTexts(bool disconnect) = 0;
    virtual void EnableConnectButton(bool enabled) = 0;
    virtual void FillEntries(const ComboFill& fill) = 0;
    // The entry name selected in the combo box (empty when none).
    virtual std::string SelectedEntry() const = 0;
    // The connection's three values (entry, duration, volume).
    virtual void SetConnectionValues(const std::string& entry, const std::string& duration,
                                     const std::string& volume) = 0;
    // The state picture in the window (bitmap id) with what it shows in words.
    virtual void ShowPicture(int bitmapId, const std::string& words) = 0;

    // --- timers: the window calls CUtilityDlg::OnTimer(id) when one fires
    virtual void StartTimer(int id, int intervalMs) = 0;
    virtual void StopTimer(int id) = 0;

    // --- window and tray
    // True while the window is in normal view (not in the tray).
    virtual bool IsShown() const = 0;
    // True while it is minimised or in the tray.
    virtual bool IsMinimisedOrHidden() const = 0;
    // Hides the window with a tray icon. False when there is no tray to go to: the
    // window then stays shown.
    virtual bool ToTray(bool animate) = 0;
    virtual void FromTray(bool animate) = 0;
    virtual void RaiseToTop() = 0;
    virtual void SetTrayIcon(int iconId) = 0;
    virtual void SetTrayTip(const std::string& tip) = 0;
    // An information balloon; empty title and text clear it.
    virtual void ShowBalloon(const std::string& title, const std::string& text) = 0;
    // Runs a command later, from the event loop (a posted command).
    virtual void PostCommand(int command) = 0;
    // Destroys the window: the event loop ends, and with it the program.
    virtual void DestroyWindow() = 0;
    // Standby is refused while `reasonTextId` is non-zero (the reason's text id).
    virtual void SetSleepRefusal(int reasonTextId) = 0;

    // --- dialogs
    // The utility settings dialog over `settings`; true on OK (values copied in).
    virtual bool RunUtilitySettings(UtilitySettings& settings) = 0;
    // The dial-up settings sheet over the entries; true on OK.
    virtual bool RunDialupSettings(EntryList& entries) = 0;
    // The synchronisation dialog of the entry check, on the card's list (updated to
    // what was written to the card).
    virtual SyncDialogEnd RunSyncDialog(EntryList& cardView) = 0;
    // The history list; true when the history was cleared.
    virtual bool RunHistory() = 0;
    virtual void RunTotals() = 0;
    virtual void ShowCardInfo(const std::string& phoneNumber, const std::string& softwareVersion) = 0;
    virtual void ShowAbout() = 0;
    virtual void OpenHelp() = 0;

    // --- the connection
    // Runs `task` on the window's thread, later; callable from any thread. The
    // monitor's notices and the dial's progress reach the window this way, also while a
    // modal dialog runs its loop.
    virtual void Post(std::function<void()> task) = 0;
    // The connecting dialog, modal: true when it ended with OK (the link is up).
    virtual bool RunConnectingDialog() = 0;
    virtual bool ConnectingDialogOpen() const = 0;
    virtual void SetConnectingText(int textId) = 0;
    // Ends the open connecting dialog with OK (true) or Cancel.
    virtual void EndConnectingDialog(bool connected) = 0;
    // The disconnecting dialog, modal, until EndDisconnectingDialog.
    virtual void RunDisconnectingDialog() = 0;
    virtual bool DisconnectingDialogOpen() const = 0;
    virtual void EndDisconnectingDialog() = 0;
    virtual void RunResultDialog(const ConnectionFiguresText& figures) = 0;
    // The status dialog, modal; refreshed each tick, closed when the connection ends.
    virtual void RunStatusDialog(const ConnectionFiguresText& figures) = 0;
    virtual bool StatusDialogOpen() const = 0;
    virtual void RefreshStatusDialog(const ConnectionFiguresText& figures) = 0;
    virtual void CloseStatusDialog() = 0;
};

}  // namespace vr31k
