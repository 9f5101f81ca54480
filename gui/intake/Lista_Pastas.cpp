#include "gui/intake/Lista_Pastas.h"

#include "engine/intake/Padrao_Arquivos.h"

#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QStyle>

Lista_Pastas::Lista_Pastas(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        // A folder removed since the list was drawn just stays closed.
        (void)setPath(item->data(Qt::UserRole).toString());
    });
}

QString Lista_Pastas::List(int indice) const
{
    const QListWidgetItem *i = item(indice);
    return i ? i->data(Qt::UserRole).toString() : QString();
}

bool Lista_Pastas::setPath(const QString &pasta)
{
    if (!Pasta_Legivel(pasta))
        return false;
    const QString novo = QDir::cleanPath(QDir(pasta).absolutePath());
    const bool mudou = novo != caminho_;
    caminho_ = novo;
    Recarregar();
    if (mudou)
        emit Change();
    return true;
}

void Lista_Pastas::Recarregar()
{
    clear();
    const QIcon aberta = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon fechada = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList acima = Ancestrais(caminho_);
    int nivel = 0;
    auto acrescentar = [this](const QString &caminho, const QIcon &icone, int recuo) {
        const QString nome = QFileInfo(caminho).fileName();
        auto *i = new QListWidgetItem(icone, QString(recuo * 2, u' ') + (nome.isEmpty() ? caminho : nome), this);
        i->setData(Qt::UserRole, caminho);
        i->setToolTip(QDir::toNativeSeparators(caminho)); // the list is narrow: the whole path reads here
    };
    for (const QString &p : acima)
        acrescentar(p, aberta, nivel++);
    for (const QString &p : Subpastas(caminho_))
        acrescentar(p, fechada, nivel);
    setCurrentRow(int(acima.size()) - 1);
}

void Lista_Pastas::focusOutEvent(QFocusEvent *evento)
{
    QListWidget::focusOutEvent(evento);
    // Switching to another application or opening a popup is not leaving the control.
    if (evento->reason() != Qt::ActiveWindowFocusReason && evento->reason() != Qt::PopupFocusReason)
        emit Perdeu_Foco();
}
