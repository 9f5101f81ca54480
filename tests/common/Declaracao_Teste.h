#pragma once
// Declaration files for tests, written by the declaration tool's own generator: by default a
// validated movement file of competence 03/2024 with 1 "B" and 3 "C" records.
#include "tools/declaracao/Gerador.h"

#include <QFile>
#include <QTest>

using declaracao::Gerar_Arquivo;
using declaracao::Opcoes_Geracao;

inline Opcoes_Geracao Declaracao_Padrao(const std::string &saida)
{
    Opcoes_Geracao o;
    o.saida = saida;
    o.competencia = "032024";
    return o;
}

inline void Gravar_Declaracao(const std::string &saida) { Gerar_Arquivo(Declaracao_Padrao(saida)); }

// Changes one byte of a validated file, so its mark no longer holds (message 16).
inline void Alterar_Depois_Da_Validacao(const QString &arquivo)
{
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray texto = f.readAll();
    texto[200] = texto[200] == 'A' ? 'B' : 'A';
    f.seek(0);
    f.write(texto);
}
