#pragma once
// A modal dialog built from a dialog template, with data exchange between its fields and controls.

#include "framework/TemplateBuilder.h"

#include <QDialog>
#include <functional>
#include <map>

class QLineEdit;

namespace fw {

class CDataExchange;

class CDialog : public QDialog
{
    Q_OBJECT

public:
    // `pParent` is the owner; without one the dialog is owned by the application's active window.
    explicit CDialog(int nIDTemplate, QWidget* pParent = nullptr);
    ~CDialog() override;

    // Creates the window from the template (creation step, then initialisation) without running it.
    // Returns false when the template does not exist or the creation step failed.
    bool Create();

    // Creates the dialog if needed and runs it modally; returns IDOK, IDCANCEL or -1 when it could not
    // be created.
    int DoModal();

    // Runs DoDataExchange: shows the fields in the controls (false) or takes them back with validation
    // (true). Returns false when a check failed; its message has then been shown and the focus put back
    // on the offending control.
    bool UpdateData(bool bSaveAndValidate = true);

    QWidget* GetDlgItem(int nID) const { return m_controls.Item(nID); }
    int TemplateId() const { return m_nIDTemplate; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Window creation, before initialisation: return -1 to fail the creation.
    virtual int OnCreate() { return 0; }
    // Fills the lists from the template's list initialisation, shows the fields, focuses the first tab
    // stop. Returns true.
    virtual bool OnInitDialog();
    // Takes the fields back with validation and closes only when that passed.
    virtual void OnOK();
    virtual void OnCancel();
    // The window is going away (after the dialog has ended).
    virtual void OnDestroy() {}
    virtual void OnTimer(int nIDEvent);

    void EndDialog(int nResult);

    // Timers on the dialog's own window, by the dialog's own IDs.
    void SetTimer(int nIDEvent, int nElapseMs);
    void KillTimer(int nIDEvent);

    // Message-map entries, by control ID (see framework/MessageMap.h): the operator's click on a button
    // or check box, and choice in a list.
    void OnClicked(int nID, std::function<void()> handler);
    void OnSelChange(int nID, std::function<void()> handler);
    // Calls `handler` every time edit `nID` loses the focus to another control of the dialog, except
    // while a validation message is shown. When the handler's check fails, the click that took the focus
    // does nothing.
    void OnKillFocus(int nID, std::function<void()> handler);

    void accept() override;
    void reject() override;
    void done(int r) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CDataExchange;
    void ReportFailure(const QString& message, QWidget* control);
    // The press (or wheel turn) that moved the focus to `control` is dropped: its check failed, and the
    // message came between the press and its effect.
    void DropPendingClick(QWidget* control);

    int m_nIDTemplate;
    bool m_bCreated = false;
    bool m_bEnded = false;
    bool m_bReportingFailure = false;
    int m_nFailuresReported = 0;
    QWidget* m_pDropClick = nullptr; // until the event loop next runs
    CControlMap m_controls;
    std::map<int, int> m_timers; // dialog's timer ID -> Qt's timer ID
    std::map<QObject*, std::function<void()>> m_killFocusHandlers;
};

} // namespace fw
