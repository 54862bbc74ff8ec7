#include "framework/TemplateBuilder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <algorithm>

namespace fw {

void CControlMap::Add(int id, QWidget* widget)
{
    if (id != IDC_STATIC)
        m_byId.emplace_back(id, widget);
    m_all.push_back(widget);
}

QWidget* CControlMap::Item(int id) const
{
    for (const auto& [controlId, widget] : m_byId) {
        if (controlId == id)
            return widget;
    }
    return nullptr;
}

void CControlMap::Clear()
{
    m_byId.clear();
    m_all.clear();
}

namespace {

QString Text(const ControlTemplate& ctl)
{
    return QString::fromUtf8(ctl.text ? ctl.text : "");
}

Qt::Alignment HorizontalAlignment(const ControlTemplate& ctl)
{
    return (ctl.style & CS_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
}

// The Qt widget for the template entry's kind.
QWidget* CreateOfKind(QWidget* host, const ControlTemplate& ctl, const QRect& rect)
{
    QWidget* widget = nullptr;
    switch (ctl.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(Text(ctl), host);
        button->setAutoDefault(false);
        button->setDefault(ctl.kind == ControlKind::DefPushButton);
        widget = button;
        break;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(Text(ctl), host);
        label->setAlignment(HorizontalAlignment(ctl) | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->setFocusPolicy(Qt::NoFocus);
        widget = label;
        break;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(Text(ctl), host);
        group->setFocusPolicy(Qt::NoFocus);
        // The frame's top line runs through the middle of the title, as dialog templates are drawn,
        // so the controls placed inside keep clear of it.
        group->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 5px; padding: 0 2px; }"));
        // A group box only frames its neighbours: clicks go through to the controls it surrounds.
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget = group;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(host);
        edit->setText(Text(ctl));
        edit->setAlignment(HorizontalAlignment(ctl) | Qt::AlignVCenter);
        edit->setReadOnly(ctl.style & CS_READONLY);
        widget = edit;
        break;
    }
    case ControlKind::CheckBox: {
        auto* check = new QCheckBox(Text(ctl), host);
        if (ctl.style & CS_LEFTTEXT)
            check->setLayoutDirection(Qt::RightToLeft);
        widget = check;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(host);
        combo->setEditable(false);
        // The template's height is that of the opened list; the closed box takes its own height.
        const int boxHeight = combo->sizeHint().height();
        const int itemHeight = qMax(1, combo->fontMetrics().height() + 2);
        combo->setMaxVisibleItems(qMax(1, (rect.height() - boxHeight) / itemHeight));
        if (ctl.style & CS_VSCROLL)
            combo->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        combo->setGeometry(rect.x(), rect.y(), rect.width(), boxHeight);
        widget = combo;
        break;
    }
    }
    return widget;
}

QWidget* CreateControl(QWidget* host, const ControlTemplate& ctl, const CDialogUnits& units,
                       const ControlFactory& factory)
{
    const QRect rect = units.ToPixels(ctl.x, ctl.y, ctl.cx, ctl.cy);
    QWidget* widget = factory ? factory(ctl) : nullptr;
    if (!widget)
        widget = CreateOfKind(host, ctl, rect);
    else if (widget->metaObject()->indexOfProperty("text") >= 0)
        widget->setProperty("text", Text(ctl));
    if (ctl.kind != ControlKind::ComboBox)
        widget->setGeometry(rect);
    if (ctl.id != IDC_STATIC)
        widget->setObjectName(QString::number(ctl.id));
    widget->setProperty("controlId", ctl.id);
    if (ctl.style & CS_NOTABSTOP)
        widget->setFocusPolicy(Qt::ClickFocus);
    if (ctl.style & CS_DISABLED)
        widget->setEnabled(false);
    return widget;
}

bool IsTabStop(const QWidget* widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

} // namespace

QSize TemplatePixelSize(const DialogTemplate& tmpl)
{
    return CDialogUnits(TemplateFont(tmpl)).ToPixels(tmpl.cx, tmpl.cy);
}

QSize BuildTemplate(QWidget* host, const DialogTemplate& tmpl, CControlMap& controls,
                    const ControlFactory& factory)
{
    const QFont font = TemplateFont(tmpl);
    host->setFont(font);
    const CDialogUnits units(font);
    controls.Clear();

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& ctl : tmpl.controls) {
        QWidget* widget = CreateControl(host, ctl, units, factory);
        controls.Add(ctl.id, widget);
        if (IsTabStop(widget)) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }
    }
    // Group boxes lie beneath the controls they frame, whatever their place in the template.
    for (QWidget* widget : controls.All()) {
        if (qobject_cast<QGroupBox*>(widget))
            widget->lower();
    }

    const QSize size = units.ToPixels(tmpl.cx, tmpl.cy);
    host->setFixedSize(size);
    if (tmpl.kind == TemplateKind::Popup)
        host->setWindowTitle(QString::fromUtf8(tmpl.caption ? tmpl.caption : ""));
    return size;
}

} // namespace fw
