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

bool CDialogBar::Create(QWidget* parent, int nIDTemplate, unsigned /*nStyle*/, int nID)
{
    const DialogTemplate* tmpl = FindDialogTemplate(nIDTemplate);
    if (!tmpl || m_bCreated)
        return false;
    m_nTemplate = nIDTemplate;
    setProperty("barId", nID);
    BuildTemplate(this, *tmpl, m_controls);
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

bool CDialogBar::ReplaceDlgItem(int id, QWidget* widget)
{
    QWidget* old = GetDlgItem(id);
    if (!old || !widget)
        return false;
    widget->setParent(old->parentWidget());
    widget->setGeometry(old->geometry());
    widget->setObjectName(old->objectName());
    widget->setProperty("controlId", old->property("controlId"));
    widget->setFocusPolicy(old->focusPolicy());
    widget->setEnabled(old->isEnabled());
    if (widget->metaObject()->indexOfProperty("text") >= 0)
        widget->setProperty("text", old->property("text"));
    widget->stackUnder(old);
    m_controls.Replace(old, widget);
    widget->setVisible(!old->isHidden());
    delete old;
    return true;
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
