#pragma once
// How the framework finds a program's resources by number: dialog templates, the initial entries of a
// template's lists, strings, menus and icons. The program hands its tables over at start-up; until it
// has, every lookup finds nothing.

#include "framework/DialogTemplate.h"

#include <QIcon>
#include <QString>
#include <span>

namespace fw {

// File > Exit: the frame closes its window.
inline constexpr int ID_APP_EXIT = 57665;

struct MenuItem
{
    const char* text; // with '&' before the mnemonic
    int command;
};

struct MenuPopup
{
    const char* text;
    std::span<const MenuItem> items;
};

// The program's lookups; any of them may be left out.
struct ResourceTables
{
    const DialogTemplate* (*dialog)(int id) = nullptr;                                 // nullptr: none
    std::span<const char* const> (*listInit)(int templateId, int controlId) = nullptr; // in order
    QString (*string)(int id) = nullptr;                                               // empty: none
    std::span<const MenuPopup> (*menu)(int id) = nullptr;                              // popups in order
    QIcon (*icon)(int id) = nullptr; // every size it comes in
};

void AfxSetResources(const ResourceTables& tables);

const DialogTemplate* FindDialogTemplate(int id);
std::span<const char* const> FindListInit(int templateId, int controlId);
QString FindString(int id);
std::span<const MenuPopup> FindMenu(int id);
QIcon FindIcon(int id);

} // namespace fw
