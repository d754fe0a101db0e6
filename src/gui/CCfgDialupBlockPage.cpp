#include "gui/CCfgDialupBlockPage.h"

#include "accounting/ProgramImport.h"
#include "common/FolderLock.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/CAppDlg.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include <cstring>

namespace vr31k {

using namespace ids;

CCfgDialupBlockPage::CCfgDialupBlockPage(const CDbHistoryCtrl& history, std::string dataFolder, IMessageBox& boxes,
                                         QWidget* parent)
    : QWidget(parent), m_dataFolder(std::move(dataFolder)), m_boxes(boxes) {
    setObjectName(QStringLiteral("CCfgDialupBlockPage"));
    setAccessibleName(Title());
    std::string problem;
    const std::optional<ProgramBlockList> list = ReadProgramBlockList(m_dataFolder, problem);
    m_unreadable = !list;
    std::vector<ProgramFigures> seen;
    history.GetSeenPrograms(seen);
    for (ProgramFigures& p : SpooledPrograms(m_dataFolder)) seen.push_back(std::move(p));
    m_choices = BlockChoices(seen, list.value_or(ProgramBlockList{}));

    auto* note = new QLabel(Text(IDS_BLOCK_NOTE), this);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setAccessibleName(note->text());
    note->setWordWrap(true);
    m_list = new QListWidget(this);
    CAppDlg::Identify(m_list, IDS_BLOCK_LIST, QStringLiteral("programList"));
    for (const BlockChoice& c : m_choices) {
        auto* item = new QListWidgetItem(QString::fromStdString(ShownProgramName(c.name) + "  (" + c.program.id + ")"));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(c.blocked ? Qt::Checked : Qt::Unchecked);
        m_list->addItem(item);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_list, 1);
    // What the list cannot say itself: that nothing was seen yet, or that the file is bad.
    const QString words = m_unreadable ? QString::fromStdString(FormatString(IDS_BLOCK_READ_FAILED, {problem}))
                          : m_choices.empty() ? Text(IDS_BLOCK_NONE)
                                              : QString();
    if (!words.isEmpty()) {
        auto* state = new QLabel(words, this);
        state->setObjectName(QStringLiteral("stateLine"));
        state->setAccessibleName(words);
        state->setWordWrap(true);
        layout->addWidget(state);
    }
}

QString CCfgDialupBlockPage::Title() const { return Text(IDS_BLOCK_PAGE); }

bool CCfgDialupBlockPage::Commit() {
    std::vector<BlockChoice> now = m_choices, changed;
    for (size_t i = 0; i < now.size(); ++i) {
        now[i].blocked = m_list->item(static_cast<int>(i))->checkState() == Qt::Checked;
        // A list that could not be read is made anew from every box.
        if (m_unreadable || now[i].blocked != m_choices[i].blocked) changed.push_back(now[i]);
    }
    if (changed.empty() && !m_unreadable) return true;
    const FolderLock lock(m_dataFolder);
    std::string problem = lock.Problem();
    std::optional<ProgramBlockList> list;
    if (problem.empty()) list = m_unreadable ? ProgramBlockList{} : ReadProgramBlockList(m_dataFolder, problem);
    if (list) {
        for (const BlockChoice& c : changed) {
            std::erase(list->programs, c.program);
            if (c.blocked) list->programs.push_back(c.program);
        }
        if (const int error = WriteProgramBlockList(m_dataFolder, *list); error != 0) problem = std::strerror(error);
    }
    if (!problem.empty()) {
        m_boxes.Tell(IDS_BLOCK_WRITE_FAILED_CAPTION, IDS_BLOCK_WRITE_FAILED_TEXT, MessageIcon::Warning, {problem});
        return false;
    }
    m_choices = std::move(now);
    m_unreadable = false;
    return true;
}

}  // namespace vr31k
