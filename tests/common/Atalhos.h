// The Alt letters of a window's captions: a letter two controls share takes the keyboard to the
// first of them only, so the second cannot be reached by its letter.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QMap>
#include <QStringList>
#include <QWidget>

inline QChar Letra_Atalho(const QString &texto)
{
    for (qsizetype i = 0; i + 1 < texto.size(); ++i) {
        if (texto[i] != u'&')
            continue;
        if (texto[i + 1] != u'&')
            return texto[i + 1].toLower();
        ++i; // "&&" is a plain ampersand
    }
    return {};
}

// "letter: caption, caption" for every letter more than one control of `janela` uses.
inline QStringList Atalhos_Repetidos(const QWidget &janela)
{
    QMap<QChar, QStringList> usos;
    for (const QLabel *l : janela.findChildren<QLabel *>())
        if (l->buddy() && !Letra_Atalho(l->text()).isNull())
            usos[Letra_Atalho(l->text())] << l->text();
    for (const QAbstractButton *b : janela.findChildren<QAbstractButton *>())
        if (!Letra_Atalho(b->text()).isNull())
            usos[Letra_Atalho(b->text())] << b->text();
    QStringList repetidos;
    for (auto u = usos.cbegin(); u != usos.cend(); ++u)
        if (u.value().size() > 1)
            repetidos << QString(u.key()) + ": " + u.value().join(", ");
    return repetidos;
}
