#pragma once
// The readout's main window on the bench card, shown, with the profile in a temporary folder: what one
// tick of the refresh costs, with and without the repaint it causes.

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class CMainFrame;

namespace bench {

// Sets the names the program runs under; call once, after the application object exists.
void InitApplication();

class CReadoutFixture : public QObject
{
public:
    // Creates and shows the main window on a freshly reset card.
    explicit CReadoutFixture(bool bMoving);
    ~CReadoutFixture() override;

    // One tick of the frame's timer: the card moves on, then every bar is refreshed.
    void Tick();
    // Delivers what the tick left to do: layout requests and the repaint of whatever changed.
    void Flush();

    // Paint events the window's widgets received since the last call.
    int TakePaints();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTemporaryDir m_dirProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    int m_nPaints = 0;
};

} // namespace bench
