#include "framework/FrameWnd.h"

#include "framework/ResourceTables.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace fw {

CFrameWnd::CFrameWnd() : m_pBarHost(new QWidget(this)), m_pBarLayout(new QVBoxLayout(m_pBarHost))
{
    m_pBarLayout->setContentsMargins(0, 0, 0, 0);
    m_pBarLayout->setSpacing(0);
    m_pBarLayout->addStretch(1);
    setCentralWidget(m_pBarHost);
}

void CFrameWnd::DockControlBar(QWidget* bar)
{
    bar->setParent(m_pBarHost);
    // Before the trailing stretch, so bars stack from the top in creation order.
    m_pBarLayout->insertWidget(m_pBarLayout->count() - 1, bar, 0, Qt::AlignLeft | Qt::AlignTop);
}

void CFrameWnd::LoadFrameResources(int nIDResource)
{
    setWindowTitle(FindString(nIDResource).section(QLatin1Char('\n'), 0, 0));
    setWindowIcon(FindIcon(nIDResource));
    for (const MenuPopup& popup : FindMenu(nIDResource)) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.text));
        for (const MenuItem& item : popup.items) {
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.command);
            if (item.command == ID_APP_EXIT)
                connect(action, &QAction::triggered, this, &CFrameWnd::OnAppExit);
        }
    }
}

void CFrameWnd::SetClientSizeForBars(QSize barsSize)
{
    const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    setFixedSize(barsSize.width(), barsSize.height() + menuHeight);
}

void CFrameWnd::OnAppExit() { close(); }

CFrameWnd* AfxGetMainWnd()
{
    CFrameWnd* first = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<CFrameWnd*>(widget)) {
            if (frame->isVisible())
                return frame;
            if (!first)
                first = frame;
        }
    }
    return first;
}

} // namespace fw
