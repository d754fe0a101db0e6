#pragma once
// The main window's pure rules: what each control shows and allows for a card state,
// which picture and tray icon a state has, the signal display's texts, the entry combo
// box's fill, and the tray tip. The window applies them; tests check them row by row.
#include "dialup/EntryList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vr31k {

// Commands of the main menu, the tray menu, the buttons and the system menu.
enum Command : int {
    kCmdSystemAbout = 16,
    kCmdConnectButton = 1018,
    kCmdRemoveButton = 1019,
    kCmdSignalButton = 1038,
    kCmdRemove = 32787,
    kCmdConnect = 32788,
    kCmdExit = 32789,
    kCmdUtilitySettings = 32790,
    kCmdDialupSettings = 32791,
    kCmdPinLock = 32792,
    kCmdPinChange = 32793,
    kCmdDialupStatus = 32794,
    kCmdHistory = 32795,
    kCmdTotals = 32796,
    kCmdCardInfo = 32797,
    kCmdAbout = 32801,
    kCmdHelp = 32802,
    kCmdTraySignal = 32805,
    kCmdTrayConnect = 32806,
    kCmdTrayRemove = 32807,
    kCmdTrayDialupStatus = 32808,
    kCmdTrayMainWindow = 32809,
};

// The window's timers.
enum TimerId : int {
    kTimerSignal = 1,      // 5000 ms: the signal level while the display is on
    kTimerOneshot = 2,     // AntDispOneshotTime s: the one-click display's end
    kTimerConnection = 3,  // 1000 ms: the connection tick
};
inline constexpr int kSignalIntervalMs = 5000;
inline constexpr int kConnectionTickMs = 1000;
// Timer 2's interval for AntDispOneshotTime as read from the file: the seconds in
// milliseconds, where a timer can take them; a negative time counts as the longest.
int OneshotIntervalMs(int seconds);

// What UpdateControls applies for a state.
struct ControlStates {
    bool connect = false;        // menu 32788, tray 32806
    bool remove = false;         // menu 32787, tray 32807
    bool cardSettings = false;   // 32791 dial-up settings, 32792 PIN lock, 32797 card information
    bool pinChange = false;      // 32793
    bool dialupStatus = false;   // 32794, tray 32808
    bool traySignal = false;     // tray 32805
    bool connectButton = false;  // 1018
    bool removeButton = false;   // 1019
    bool signalButton = false;   // 1038
    bool entryLabel = false;     // 1039
    bool figureLabels = false;   // 1041, 1043
    bool emptyValues = false;    // 1040, 1042, 1044 emptied
    bool comboShown = false;     // combo 1057 shown and enabled, field 1040 hidden; else the reverse
    bool refillCombo = false;    // states 10 and 11 refill the combo
    bool changed = true;         // false: a state above 11 changes nothing but the picture
};
ControlStates EnableRules(int state, bool entriesInSync, bool pinLockOn);

// The 60×40 picture (bitmap id) and the 16×16 tray icon (icon id) of a state.
int StatePictureId(int state, int signalLevel);
int StateTrayIconId(int state, int signalLevel);
inline constexpr int kAppIconId = 128;

// The state picture in words, for screen readers: "使用可能", "電波状態表示中 電波レベル 3".
std::string StateInWords(int state, int signalLevel);

// The signal display's texts for the mode and state.
struct SignalDisplayTexts {
    int trayItemTextId = 0;  // 32805
    int buttonTextId = 0;    // 1038
    int buttonWidth = 0;     // pixels
    bool checked = false;    // the tray item's check mark
};
SignalDisplayTexts SignalTexts(bool oneshotMode, int state);

// The entry combo box: every non-empty name in order, and the row of the last name
// added at or before `index` (the first row when none; -1 when the list is empty).
struct ComboFill {
    std::vector<std::string> items;
    int selected = -1;
};
ComboFill FillEntryCombo(const EntryList& names, int index);

// The tray tip while connected: title, entry, duration, volume, and a line of the
// period's pace when one is given; the link's warning, when given, in the entry's
// place. The tip holds `maxBytes` bytes (including a terminator); a long entry name is
// shortened with "…" (never cut inside a character), the figures never; a pace that
// leaves no room for them (and a character of the entry) is left out.
std::string ConnectionTrayTip(const std::string& entry, const std::string& duration, const std::string& volume,
                              const std::string& pace = {}, const std::string& warning = {},
                              std::size_t maxBytes = 128);

}  // namespace vr31k
