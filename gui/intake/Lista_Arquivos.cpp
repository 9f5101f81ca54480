#include "gui/intake/Lista_Arquivos.h"

#include "engine/intake/Padrao_Arquivos.h"

#include <QDir>
#include <QKeyEvent>

Lista_Arquivos::Lista_Arquivos(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

bool Lista_Arquivos::setPath(const QString &pasta)
{
    if (!Pasta_Legivel(pasta))
        return false;
    caminho_ = QDir::cleanPath(QDir(pasta).absolutePath());
    Recarregar();
    return true;
}

void Lista_Arquivos::setPattern(const QString &padroes)
{
    padrao_ = padroes;
    Recarregar();
}

int Lista_Arquivos::ListIndex() const
{
    // The current row alone is not a choice: the view moves it to the first row on focus.
    const QList<QListWidgetItem *> marcados = selectedItems();
    return marcados.isEmpty() ? -1 : row(marcados.first());
}

void Lista_Arquivos::setListIndex(int indice)
{
    if (indice < 0 || indice >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(indice, QItemSelectionModel::ClearAndSelect);
}

QString Lista_Arquivos::List(int indice) const
{
    const QListWidgetItem *i = item(indice);
    return i ? i->text() : QString();
}

void Lista_Arquivos::keyPressEvent(QKeyEvent *evento)
{
    // The view keeps its cursor on the first row before anything is chosen, so a plain Down
    // would go on to the second.
    if (evento->key() == Qt::Key_Down && evento->modifiers() == Qt::NoModifier && ListIndex() == -1
        && count() > 0) {
        setListIndex(0);
        evento->accept();
        return;
    }
    QListWidget::keyPressEvent(evento);
}

QByteArray Lista_Arquivos::Bytes(int indice) const
{
    const QListWidgetItem *i = item(indice);
    return i ? i->data(Qt::UserRole).toByteArray() : QByteArray();
}

void Lista_Arquivos::Recarregar()
{
    clear();
    if (caminho_.isEmpty())
        return;
    for (const Arquivo_Listado &a : Arquivos_Da_Pasta(caminho_, padrao_)) {
        auto *i = new QListWidgetItem(a.nome, this);
        i->setData(Qt::UserRole, a.bytes);
        i->setToolTip(a.nome); // the list is narrow: a long name reads whole here
    }
}
