#include "gui/intake/frmInicio_entrada.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {
bool Entrada_Do_Usuario(QEvent::Type t)
{
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}
} // namespace

Bloqueio_Entrada::Bloqueio_Entrada(QWidget *janela) : janela_(janela)
{
    QCoreApplication::instance()->installEventFilter(this);
}

Bloqueio_Entrada::~Bloqueio_Entrada()
{
    // Input that arrived during the command and is still queued reaches the filter now.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool Bloqueio_Entrada::eventFilter(QObject *objeto, QEvent *evento)
{
    if (!Entrada_Do_Usuario(evento->type()))
        return false;
    if (auto *w = qobject_cast<QWidget *>(objeto))
        return w->window() == janela_;
    if (auto *j = qobject_cast<QWindow *>(objeto))
        return j == janela_->windowHandle();
    return false;
}
