#include "gui/intake/Lista_Unidades.h"

#include "engine/platform/Unidades.h"

Lista_Unidades::Lista_Unidades(QWidget *parent) : QComboBox(parent), raizes_(Unidades_Montadas())
{
    for (const QString &r : raizes_)
        addItem(r);
    connect(this, &QComboBox::currentIndexChanged, this, &Lista_Unidades::Change);
}

QString Lista_Unidades::Drive() const
{
    const int i = currentIndex();
    return i >= 0 && i < int(raizes_.size()) ? raizes_[size_t(i)] : QString();
}

bool Lista_Unidades::setDrive(const QString &caminho)
{
    const QString raiz = Drive_De(caminho);
    if (raiz.isEmpty())
        return false;
    for (size_t i = 0; i < raizes_.size(); ++i)
        if (raizes_[i] == raiz)
            setCurrentIndex(int(i));
    return true;
}

QString Lista_Unidades::Drive_De(const QString &caminho) const
{
    return Unidade_De(caminho, raizes_);
}
