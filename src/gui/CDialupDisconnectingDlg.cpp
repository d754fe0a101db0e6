#include "gui/CDialupDisconnectingDlg.h"

#include "common/StringIds.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {
// What follows the text at each count: 1, 2, 3 dots, then a blank as the count wraps.
const char* const kDots[] = {" ", " .", " ..", " ..."};
}  // namespace

CDialupDisconnectingDlg::CDialupDisconnectingDlg(QWidget* parent)
    : CAppDlg(IDS_DLG_DISCONNECTING_CAPTION, QStringLiteral("CDialupDisconnectingDlg"), parent) {
    // No close button: only the hang-up's end closes it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_text = MakeLabel(IDS_DLG_DISCONNECTING_TEXT, QStringLiteral("textLabel"));
    // Wide enough for three dots, so the dialog does not change size as they cycle.
    const QFontMetrics metrics = m_text->fontMetrics();
    m_text->setMinimumWidth(metrics.horizontalAdvance(Text(IDS_DLG_DISCONNECTING_TEXT) + QLatin1String(kDots[3])) +
                            metrics.averageCharWidth() * 4);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("dotsTimer"));
    m_timer->setInterval(kDotsIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CDialupDisconnectingDlg::NextDots);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(m_text);
}

void CDialupDisconnectingDlg::Run() {
    m_dots = 0;
    m_text->setText(Text(IDS_DLG_DISCONNECTING_TEXT));
    m_timer->start();
    exec();
    m_timer->stop();
}

void CDialupDisconnectingDlg::NextDots() {
    m_dots = (m_dots + 1) % 4;
    m_text->setText(Text(IDS_DLG_DISCONNECTING_TEXT) + QLatin1String(kDots[m_dots]));
}

void CDialupDisconnectingDlg::Finish() {
    m_timer->stop();
    if (!IsOpen()) return;
    // Only asks the loop to end: this runs inside it, from the monitor's posted notice.
    done(QDialog::Accepted);
}

}  // namespace vr31k
