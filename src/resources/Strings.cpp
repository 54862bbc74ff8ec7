// String, menu and icon resources.

#include "resources/Resources.h"

#include <QCoreApplication>

// The compiled-in resource file lives in a static library: register it before the first use.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace res {
namespace {

struct StringEntry
{
    int id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {IDR_MAINFRAME, "Orvane001 - Digital Readout"},
    {IDS_TITLE_SIMULATED, "Orvane001 - Digital Readout (simulated boards)"},
    {AFX_IDS_APP_TITLE, "Orvane 001 - Digital Readout"},
};

constexpr MenuItem kFileMenu[] = {{"E&xit", ID_APP_EXIT}};
constexpr MenuPopup kMainMenu[] = {{"&File", kFileMenu}};

} // namespace

QString String(int id)
{
    for (const StringEntry& entry : kStrings) {
        if (entry.id == id)
            return QString::fromUtf8(entry.text);
    }
    return {};
}

std::span<const MenuPopup> Menu(int id)
{
    if (id == IDR_MAINFRAME)
        return kMainMenu;
    return {};
}

QIcon Icon(int id)
{
    if (id != IDR_MAINFRAME)
        return QIcon();
    // Decoded once: the application and its frame show the same icon. It goes with the application,
    // before the statics of Qt that its pixmaps use.
    static QIcon* s_icon = nullptr;
    if (!s_icon) {
        InitResources();
        s_icon = new QIcon;
        s_icon->addFile(QStringLiteral(":/icons/orvane-readout-16.png"), QSize(16, 16));
        s_icon->addFile(QStringLiteral(":/icons/orvane-readout-32.png"), QSize(32, 32));
        qAddPostRoutine([] {
            delete s_icon;
            s_icon = nullptr;
        });
    }
    return *s_icon;
}

void InstallResources()
{
    fw::AfxSetResources({&Dialog, &ListInit, &String, &Menu, &Icon});
}

} // namespace res
