#include "framework/MessageMap.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QtGlobal>
#include <utility>

namespace fw {

void BindClicked(QWidget* control, int nID, QObject* receiver, std::function<void()> handler)
{
    auto* button = qobject_cast<QAbstractButton*>(control);
    Q_ASSERT_X(button, "BindClicked", qPrintable(QStringLiteral("no button %1").arg(nID)));
    Q_UNUSED(nID);
    if (button)
        QObject::connect(button, &QAbstractButton::clicked, receiver,
                         [handler = std::move(handler)] { handler(); });
}

void BindSelChange(QWidget* control, int nID, QObject* receiver, std::function<void()> handler)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    Q_ASSERT_X(combo, "BindSelChange", qPrintable(QStringLiteral("no list %1").arg(nID)));
    Q_UNUSED(nID);
    if (combo)
        QObject::connect(combo, &QComboBox::activated, receiver,
                         [handler = std::move(handler)] { handler(); });
}

} // namespace fw
