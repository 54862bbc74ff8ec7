#pragma once
// A control bar built from a dialog template, stacked in its frame in creation order.

#include "framework/TemplateBuilder.h"

#include <QSize>
#include <QWidget>
#include <functional>

namespace fw {

class CDialogBar : public QWidget
{
    Q_OBJECT

public:
    // `nDefaultTemplate` gives the bar its size before its window is created.
    explicit CDialogBar(int nDefaultTemplate);

    // Builds the bar's controls from template `nIDTemplate` and docks the bar in `parent` (a frame
    // stacks it below the bars created before it). Returns false when the template does not exist.
    bool Create(QWidget* parent, int nIDTemplate);

    bool IsCreated() const { return m_bCreated; }
    QWidget* GetDlgItem(int id) const { return m_controls.Item(id); }
    void SetDlgItemText(int id, const QString& text);

    // The bar's fixed size: its template's size in pixels.
    QSize CalcFixedLayout() const;

protected:
    // Message-map entry, by control ID (see framework/MessageMap.h): the operator's click on a button or
    // check box.
    void OnClicked(int nID, std::function<void()> handler);

    // A control of the bar's own class for a template entry, a child of the bar, in place of the
    // template's kind; nullptr (the default) for the template's own. Called while the bar is created.
    virtual QWidget* CreateDlgItem(const ControlTemplate& ctl);

private:
    int m_nTemplate;
    bool m_bCreated = false;
    CControlMap m_controls;
};

} // namespace fw
