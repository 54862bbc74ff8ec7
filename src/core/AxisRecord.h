#pragma once
// The axis record: one channel's name, scaling and mode word, and what its axis bar last read from the
// card. The axis bar holds it and refreshes it; the settings store saves and loads it; the dialogs opened
// from the bar edit and watch it.

#include <QString>
#include <cstdint>

struct CAxisRecord
{
    QString m_strName;           // the axis name, one character as a rule
    int16_t m_nChannel = -1;     // channel index 0 to 11; -1 until the bar is created
    double m_dPitch = 1.0;       // scaling numerator
    double m_dCount = 1.0;       // scaling denominator
    int32_t m_nEncoderType = 0;  // as read at creation: 1 = SSI, 0 = incremental
    int32_t m_nStatusInputs = 0; // the status words last read
    int32_t m_nStatusErrors = 0;
    double m_dIncremental = 0.0; // the four values last read, scaled
    double m_dAbsolute = 0.0;
    double m_dMarker = 0.0;
    double m_dProbe = 0.0;
    int32_t m_nDecimals = 0;     // decimals shown for the four values
    uint32_t m_dwMode = 0;       // the channel's mode word
    bool m_bMrk = false;         // "Mrk" as last read
    bool m_bModePending = false; // m_dwMode was changed by a dialog and goes to the card at the next refresh
};
