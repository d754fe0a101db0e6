#pragma once
// The card information dialog: the phone number and software version the card
// information command has just read, shown as they are ("..." stands in for a missing
// number already).
#include "gui/CAppDlg.h"

#include <string>

namespace vr31k {

class CHelpCardInfoDlg : public CAppDlg {
    Q_OBJECT
public:
    CHelpCardInfoDlg(const std::string& phoneNumber, const std::string& softwareVersion, QWidget* parent = nullptr);
};

}  // namespace vr31k
