#pragma once
// The main window's card state, and what the card check keeps beside it.

namespace vr31k {

enum CardState : int {
    kCardNone = 0,          // no usable card
    kCardFailed = 1,        // present, but the last operation failed
    kCardNoSim = 2,
    kCardWrongSim = 3,
    kCardPinCancelled = 4,
    kCardPukNeeded = 5,
    kCardSimLocked = 6,     // PUK attempts used up
    kCardSimFailure = 7,
    kCardReady = 8,
    kCardSignalDisplay = 9,
    kCardDialing = 10,
    kCardOutsideConnection = 11,
};

// The members of the main window that the card check reads and sets.
struct CardStatus {
    int state = kCardNone;
    bool pinLockOn = false;
    bool entriesInSync = true;
    bool reopenOnResume = false;
    int stateAtSuspend = kCardNone;
};

}  // namespace vr31k
