#pragma once
// The axis status dialogs: a channel's input and error bits as ticked boxes, live four times a second
// from the status words its axis bar cached.

#include "dialogs/AxisDialog.h"

#include <cstdint>

// What both status dialogs share: their own 250 ms timer, started when the window is created and
// stopped when it goes away, and its tick. Which bits each shows is each dialog's.
class CAxisStatusDlg : public CAxisDialog
{
    Q_OBJECT

public:
    static constexpr int kStatusTimer = 1;
    static constexpr int kStatusPeriodMs = 250;

protected:
    CAxisStatusDlg(int nIDTemplate, QWidget* pParent);

    // Starts timer 1; the end of the dialog, however it came, stops it.
    int OnCreate() override;
    void OnDestroy() override;
    // Takes the boxes back, sets the fields from the bar's cached words and shows them. Without a bar
    // there are no words to show: the boxes keep what they hold.
    void OnTimer(int nIDEvent) override;
    virtual void SetStatus(int32_t inputs, int32_t errors) = 0;
};

class CIncStatusDlg : public CAxisStatusDlg
{
    Q_OBJECT

public:
    explicit CIncStatusDlg(QWidget* pParent = nullptr);

    int m_bA = 0;
    int m_bB = 0;
    int m_bLimit1 = 0;
    int m_bM = 0;
    int m_bZ = 0;
    int m_bLimit0 = 0;
    int m_bPowerFail = 0;
    int m_bQuadrature = 0;

protected:
    void DoDataExchange(fw::CDataExchange* pDX) override;
    void SetStatus(int32_t inputs, int32_t errors) override;
};

class CSsiStatusDlg : public CAxisStatusDlg
{
    Q_OBJECT

public:
    explicit CSsiStatusDlg(QWidget* pParent = nullptr);

    int m_bData = 0;
    int m_bParity = 0;
    int m_bPowerFail = 0;

protected:
    void DoDataExchange(fw::CDataExchange* pDX) override;
    void SetStatus(int32_t inputs, int32_t errors) override;
};
