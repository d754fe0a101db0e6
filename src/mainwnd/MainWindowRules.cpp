#include "mainwnd/MainWindowRules.h"

#include "card/CardState.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <algorithm>
#include <limits>

namespace vr31k {

ControlStates EnableRules(int state, bool entriesInSync, bool pinLockOn) {
    ControlStates c;
    if (state < kCardNone || state > kCardOutsideConnection) {
        c.changed = false;
        return c;
    }
    const bool ready = state == kCardFailed || state == kCardReady || state == kCardSignalDisplay;
    const bool sim = state >= kCardNoSim && state <= kCardSimFailure;
    const bool connected = state == kCardDialing || state == kCardOutsideConnection;
    c.connect = connected || (ready && entriesInSync);
    c.remove = ready || sim;
    c.cardSettings = ready;
    c.pinChange = ready && pinLockOn;
    c.dialupStatus = connected;
    c.traySignal = ready;
    c.connectButton = c.connect;
    c.removeButton = c.remove;
    c.signalButton = ready;
    c.entryLabel = c.connect;
    c.figureLabels = connected;
    c.emptyValues = !connected;
    c.comboShown = ready && entriesInSync;
    c.refillCombo = connected;
    return c;
}

int OneshotIntervalMs(int seconds) {
    constexpr int64_t kLongest = std::numeric_limits<int>::max();
    const int64_t ms = int64_t{seconds} * 1000;
    return static_cast<int>(ms < 0 ? kLongest : std::min(ms, kLongest));
}

int StatePictureId(int state, int signalLevel) {
    switch (state) {
    case kCardNone: return 153;
    case kCardNoSim: return 147;
    case kCardWrongSim: return 160;
    case kCardPinCancelled: return 155;
    case kCardPukNeeded: return 158;
    case kCardSimLocked: return 157;
    case kCardSimFailure: return 159;
    case kCardSignalDisplay:
        if (signalLevel == 0) return 148;
        if (signalLevel >= 1 && signalLevel <= 4) return 148 + signalLevel;
        return 156;
    case kCardDialing:
    case kCardOutsideConnection: return 154;
    default: return 156;  // 1, 8 and anything else
    }
}

int StateTrayIconId(int state, int signalLevel) {
    switch (state) {
    case kCardNone: return 139;
    case kCardNoSim: return 133;
    case kCardWrongSim: return 146;
    case kCardPinCancelled: return 141;
    case kCardPukNeeded: return 144;
    case kCardSimLocked: return 143;
    case kCardSimFailure: return 145;
    case kCardSignalDisplay:
        if (signalLevel >= 0 && signalLevel <= 4) return 134 + signalLevel;
        return 142;
    case kCardDialing:
    case kCardOutsideConnection: return 140;
    default: return 142;
    }
}

std::string StateInWords(int state, int signalLevel) {
    if (state < kCardNone || state > kCardOutsideConnection) state = kCardFailed;  // the picture's "other" case
    std::string words(LoadString(ids::IDS_STATE_WORDS_FIRST + state));
    if (state == kCardSignalDisplay) {
        if (signalLevel == 0) {
            words += " " + std::string(LoadString(ids::IDS_SIGNAL_OUT_OF_SERVICE_WORDS));
        } else if (signalLevel >= 1 && signalLevel <= 4) {
            words += " " + FormatString(ids::IDS_SIGNAL_LEVEL_WORDS, {std::to_string(signalLevel)});
        }
    }
    return words;
}

SignalDisplayTexts SignalTexts(bool oneshotMode, int state) {
    const bool on = state == kCardSignalDisplay;
    SignalDisplayTexts t;
    t.checked = on;
    if (oneshotMode) {
        t.trayItemTextId = ids::IDS_SIGNAL_ITEM_ONESHOT;
        t.buttonTextId = on ? ids::IDS_SIGNAL_BUTTON_ONESHOT_STOP : ids::IDS_SIGNAL_BUTTON_ONESHOT;
        t.buttonWidth = 200;
    } else {
        t.trayItemTextId = ids::IDS_SIGNAL_ITEM_CONTINUOUS;
        t.buttonTextId = on ? ids::IDS_SIGNAL_BUTTON_CONTINUOUS_STOP : ids::IDS_SIGNAL_BUTTON_CONTINUOUS;
        t.buttonWidth = 150;
    }
    return t;
}

ComboFill FillEntryCombo(const EntryList& names, int index) {
    ComboFill fill;
    for (int k = 0; k < kEntryCount; ++k) {
        if (names[k].empty()) continue;
        fill.items.push_back(names[k]);
        if (k <= index) fill.selected = static_cast<int>(fill.items.size()) - 1;
    }
    if (fill.selected < 0 && !fill.items.empty()) fill.selected = 0;
    return fill;
}

namespace {

// The longest prefix of `text` within `bytes` that does not end inside a UTF-8 character.
std::string Utf8Prefix(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::string ConnectionTrayTip(const std::string& entry, const std::string& duration, const std::string& volume,
                              const std::string& pace, const std::string& warning, std::size_t maxBytes) {
    static const std::string kEllipsis = "…";
    const std::string title(LoadString(ids::IDS_APP_TITLE));
    std::string tail = "\n接続時間: " + duration + "\nデータ量: " + volume;
    const std::size_t room = maxBytes - 1;  // the terminator
    // The warning matters more than the entry's name: it takes the name's line, which
    // would leave it no room anyway.
    if (!warning.empty()) {
        const std::string head = title + "\n" + warning;
        if (!pace.empty() && head.size() + tail.size() + pace.size() + 1 <= room) tail += "\n" + pace;
        return Utf8Prefix(head + tail, room);
    }
    const std::string head = title + "\n通信中: ";
    // The pace goes only with room for at least a character of the entry beside it.
    if (!pace.empty() && head.size() + tail.size() + pace.size() + 8 < maxBytes) tail += "\n" + pace;
    if (head.size() + entry.size() + tail.size() <= room) return head + entry + tail;
    const std::size_t fixed = head.size() + tail.size() + kEllipsis.size();
    if (fixed > room) return Utf8Prefix(head + entry + tail, room);  // cannot happen with real figures
    return head + Utf8Prefix(entry, room - fixed) + kEllipsis + tail;
}

}  // namespace vr31k
