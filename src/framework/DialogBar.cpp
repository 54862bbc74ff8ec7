#include "framework/DialogBar.h"

#include "framework/FrameWnd.h"
#include "framework/MessageMap.h"
#include "framework/ResourceTables.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <utility>

namespace fw {

CDialogBar::CDialogBar(int nDefaultTemplate) : m_nTemplate(nDefaultTemplate) {}

bool CDialogBar::Create(QWidget* parent, int nIDTemplate)
{
    const DialogTemplate* tmpl = FindDialogTemplate(nIDTemplate);
    if (!tmpl || m_bCreated)
        return false;
    m_nTemplate = nIDTemplate;
    BuildTemplate(this, *tmpl, m_controls, [this](const ControlTemplate& ctl) { return CreateDlgItem(ctl); });
    if (auto* frame = qobject_cast<CFrameWnd*>(parent))
        frame->DockControlBar(this);
    else
        setParent(parent);
    m_bCreated = true;
    show();
    return true;
}

void CDialogBar::SetDlgItemText(int id, const QString& text)
{
    QWidget* item = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(item))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(item))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(item))
        button->setText(text);
    else if (item && item->metaObject()->indexOfProperty("text") >= 0)
        item->setProperty("text", text);
}

QWidget* CDialogBar::CreateDlgItem(const ControlTemplate& /*ctl*/)
{
    return nullptr;
}

void CDialogBar::OnClicked(int nID, std::function<void()> handler)
{
    BindClicked(GetDlgItem(nID), nID, this, std::move(handler));
}

QSize CDialogBar::CalcFixedLayout() const
{
    const DialogTemplate* tmpl = FindDialogTemplate(m_nTemplate);
    return tmpl ? TemplatePixelSize(*tmpl) : QSize();
}

} // namespace fw
