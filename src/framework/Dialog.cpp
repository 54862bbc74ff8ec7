#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/MessageMap.h"
#include "framework/ResourceTables.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>

namespace fw {

CDialog::CDialog(int nIDTemplate, QWidget* pParent) : QDialog(pParent), m_nIDTemplate(nIDTemplate)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

CDialog::~CDialog()
{
    for (const auto& [id, qtId] : m_timers)
        killTimer(qtId);
}

bool CDialog::Create()
{
    if (m_bCreated)
        return true;
    const DialogTemplate* tmpl = FindDialogTemplate(m_nIDTemplate);
    if (!tmpl)
        return false;
    BuildTemplate(this, *tmpl, m_controls);
    if (auto* ok = qobject_cast<QPushButton*>(GetDlgItem(IDOK)))
        connect(ok, &QPushButton::clicked, this, &CDialog::OnOK);
    if (auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(IDCANCEL)))
        connect(cancel, &QPushButton::clicked, this, &CDialog::OnCancel);
    if (OnCreate() == -1)
        return false;
    m_bCreated = true;
    m_bEnded = false;
    OnInitDialog();
    return true;
}

int CDialog::DoModal()
{
    if (!parentWidget()) {
        QWidget* owner = QApplication::activeModalWidget();
        if (!owner)
            owner = QApplication::activeWindow();
        // Right after another window closed nothing may be active: the main window owns the dialog then,
        // so it opens over it and never falls behind it.
        if (!owner)
            owner = AfxGetMainWnd();
        if (owner && owner != this)
            setParent(owner, windowFlags());
    }
    if (!Create())
        return -1;
    const int result = exec();
    // The keyboard goes back to the window beneath (a dialog this one was opened from, or the main
    // window), to the control that had it, so Esc and Enter reach that window at once.
    QWidget* owner = parentWidget();
    setParent(nullptr, windowFlags());
    if (owner && owner->isVisible())
        owner->activateWindow();
    return result;
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnInitDialog()
{
    for (QWidget* widget : m_controls.All()) {
        auto* combo = qobject_cast<QComboBox*>(widget);
        if (!combo)
            continue;
        const QSignalBlocker block(combo);
        for (const char* item : FindListInit(m_nIDTemplate, widget->property("controlId").toInt()))
            combo->addItem(QString::fromUtf8(item));
        combo->setCurrentIndex(-1);
    }
    UpdateData(false);
    for (QWidget* widget : m_controls.All()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && !widget->isHidden()) {
            widget->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    return true;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) { done(nResult); }

void CDialog::accept() { OnOK(); }
void CDialog::reject() { OnCancel(); }

void CDialog::done(int r)
{
    QDialog::done(r);
    if (!m_bEnded) {
        m_bEnded = true;
        OnDestroy();
    }
}

void CDialog::SetTimer(int nIDEvent, int nElapseMs)
{
    KillTimer(nIDEvent);
    if (const int qtId = startTimer(nElapseMs); qtId != 0)
        m_timers[nIDEvent] = qtId;
}

void CDialog::KillTimer(int nIDEvent)
{
    if (const auto it = m_timers.find(nIDEvent); it != m_timers.end()) {
        killTimer(it->second);
        m_timers.erase(it);
    }
}

void CDialog::OnTimer(int) {}

void CDialog::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : m_timers) {
        if (qtId == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QDialog::timerEvent(event);
}

void CDialog::OnClicked(int nID, std::function<void()> handler)
{
    BindClicked(GetDlgItem(nID), nID, this, std::move(handler));
}

void CDialog::OnSelChange(int nID, std::function<void()> handler)
{
    BindSelChange(GetDlgItem(nID), nID, this, std::move(handler));
}

void CDialog::OnKillFocus(int nID, std::function<void()> handler)
{
    QWidget* control = GetDlgItem(nID);
    Q_ASSERT_X(qobject_cast<QLineEdit*>(control), "OnKillFocus",
               qPrintable(QStringLiteral("no edit %1").arg(nID)));
    if (control) {
        control->installEventFilter(this);
        m_killFocusHandlers[control] = std::move(handler);
    }
}

bool CDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_bReportingFailure && isVisible()) {
        const auto it = m_killFocusHandlers.find(watched);
        // Only a move to another control of the dialog counts: from a popup menu or another window (a
        // message box, another application, the dialog closing) the focus comes back to this control.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (it != m_killFocusHandlers.end() && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason) {
            // The focus has already moved on: to a clicked control, whose press comes after this.
            QWidget* taker = QApplication::focusWidget();
            const int nFailures = m_nFailuresReported;
            const auto handler = it->second;
            handler();
            if (m_nFailuresReported != nFailures) {
                if (reason == Qt::MouseFocusReason && taker && taker != watched && isAncestorOf(taker))
                    DropPendingClick(taker);
                // The check put the focus back here: the control must not act on having lost it.
                if (watched == focusWidget())
                    return true;
            }
        }
    }
    if (m_pDropClick && watched == m_pDropClick &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick ||
         event->type() == QEvent::Wheel))
        return true;
    return QDialog::eventFilter(watched, event);
}

void CDialog::DropPendingClick(QWidget* control)
{
    m_pDropClick = control;
    control->installEventFilter(this);
    QTimer::singleShot(0, this, [this] { m_pDropClick = nullptr; });
}

void CDialog::ReportFailure(const QString& message, QWidget* control)
{
    ++m_nFailuresReported;
    m_bReportingFailure = true;
    AfxMessageBox(message);
    if (control) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
    m_bReportingFailure = false;
}

} // namespace fw
