#pragma once
// The SSI encoder properties dialog: edits the SSI fields of a channel's mode word, live. Every change of
// a list and every time the Length or Offset edit loses the focus, all seven fields are merged into the
// bar's mode word at once and the word is marked pending; the bar writes it to the card at its next
// refresh. OK and Cancel only close: nothing is undone.

#include "dialogs/EncoderPropertiesDlg.h"

class CSsiPropertiesDlg : public CEncoderPropertiesDlg
{
    Q_OBJECT

public:
    explicit CSsiPropertiesDlg(QWidget* pParent = nullptr);

    // Takes the values back with validation and, when every check passes, merges them into the bar's
    // mode word, marks it pending and shows the new word. A failing check merges nothing.
    void OnModeChanged();

    int m_nCode = -1; // list indexes; -1 when the list has no selection
    int m_nDirection = -1;
    int m_nExtraBit = -1;
    int m_nFrequency = -1;
    uint32_t m_nLength = 0;
    uint32_t m_nOffset = 0;
    int m_nUpdate = -1;

protected:
    void DoDataExchange(fw::CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // Merges the fields into the bar's word, marks it pending and shows the result.
    void ApplyToAxis();
    bool IsEditFocused() const;
};
