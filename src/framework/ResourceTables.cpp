#include "framework/ResourceTables.h"

namespace fw {
namespace {
ResourceTables& Tables()
{
    static ResourceTables tables;
    return tables;
}
} // namespace

void AfxSetResources(const ResourceTables& tables)
{
    Tables() = tables;
}

const DialogTemplate* FindDialogTemplate(int id)
{
    return Tables().dialog ? Tables().dialog(id) : nullptr;
}

std::span<const char* const> FindListInit(int templateId, int controlId)
{
    return Tables().listInit ? Tables().listInit(templateId, controlId) : std::span<const char* const>();
}

QString FindString(int id)
{
    return Tables().string ? Tables().string(id) : QString();
}

std::span<const MenuPopup> FindMenu(int id)
{
    return Tables().menu ? Tables().menu(id) : std::span<const MenuPopup>();
}

QIcon FindIcon(int id)
{
    return Tables().icon ? Tables().icon(id) : QIcon();
}

} // namespace fw
