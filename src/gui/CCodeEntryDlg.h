#pragma once
// A SIM code dialog: an attempts count and masked fields. OK lets through only codes of
// 4 to 8 digits (and a new PIN equal to its confirmation): otherwise it tells why,
// empties every field and stays open with the focus in the first. The card logic asks
// again with the same object after the card refused a code, so every run starts with
// the new count, empty fields and the focus in the first field; the codes are wiped
// from the fields as soon as the run ends.
#include "gui/CAppDlg.h"

#include <optional>
#include <string>
#include <vector>

class QVBoxLayout;

namespace vr31k {

class IMessageBox;

class CCodeEntryDlg : public CAppDlg {
    Q_OBJECT
protected:
    CCodeEntryDlg(int captionId, const QString& objectName, IMessageBox& boxes, QWidget* parent);

    // The label that shows the count, filled by each run.
    QLabel* AttemptsValue() const { return m_attempts; }
    // A masked field; the fields are returned by Run in the order they were added.
    QLineEdit* AddField(int nameId, const QString& objectName);
    // What the SIM prompts share: the prompt, the count beside its label and the first
    // field. Returns the dialog's layout, for the rest.
    QVBoxLayout* LayOutPrompt(int promptId, int attemptsLabelId, int fieldNameId, const QString& fieldObjectName);
    // Runs the dialog modally; the fields' texts on OK, nothing on Cancel.
    std::optional<std::vector<std::string>> Run(int attemptsLeft);

    void accept() override;

private:
    IMessageBox& m_boxes;
    QLabel* m_attempts;
    std::vector<QLineEdit*> m_fields;
};

// The count as the dialogs show it: "3 回".
QString AttemptsText(int attemptsLeft);

}  // namespace vr31k
