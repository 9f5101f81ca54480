#include "intake/Lista_Arquivos.h"

#include "intake/Padrao_Arquivos.h"

#include <QDir>

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

QModelIndex Lista_Arquivos::moveCursor(CursorAction acao, Qt::KeyboardModifiers modificadores)
{
    if (acao == MoveDown && ListIndex() == -1 && count() > 0)
        return model()->index(0, 0);
    return QListWidget::moveCursor(acao, modificadores);
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
    }
}
