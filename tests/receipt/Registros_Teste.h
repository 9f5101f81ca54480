#pragma once
// Receipt records for tests, written field by field in the record's fixed positions, so they do not
// depend on the record builder. Text is UTF-8 here and stored as Windows-1252 bytes.
#include "engine/platform/Texto1252.h"

#include <QString>
#include <string>

struct Campos_Teste {
    std::string data = "20240305", tipo = "1", nome = "    MOV1.TXT", codigo = "00012345";
    std::string tipo_id = "1", id = "12345678000190";
    QString razao = QStringLiteral("CONSTRUÇÃO ÁGUA LTDA"), endereco = QStringLiteral("RUA DAS FLORES, 100");
    std::string cep = "12345678", uf = "SP", mes = "03", ano = "2024";
    std::string totais[5] = {"     1", "    25", "    27", "     0", "     2"};
    std::string hora = "140709", recebido = "00012345";
};

inline std::string Registro_Teste(const Campos_Teste &c = {})
{
    auto larg = [](std::string s, size_t n) {
        s.resize(n, ' ');
        return s;
    };
    std::string r = larg(c.data, 8) + larg(c.tipo, 1) + larg(c.nome, 12) + larg(c.codigo, 8) + larg(c.tipo_id, 1) +
                    larg(c.id, 14) + larg(Para_1252(c.razao), 35) + larg(Para_1252(c.endereco), 40) +
                    larg(c.cep, 8) + larg(c.uf, 2) + larg(c.mes, 2) + larg(c.ano, 4);
    for (const std::string &t : c.totais)
        r += larg(t, 6);
    return r + larg(c.hora, 6) + larg(c.recebido, 8);
}

// An adjustment file's record: two counters, the other three zero.
inline Campos_Teste Campos_Acerto()
{
    Campos_Teste c;
    c.tipo = "2";
    c.nome = "    ACE1.TXT";
    c.codigo = "00054321";
    c.recebido = "54321";
    c.tipo_id = "2";
    c.id = "00123456789012";
    c.mes = "11";
    c.ano = "2023";
    c.totais[0] = "     4";
    c.totais[1] = "     5";
    c.totais[2] = c.totais[3] = c.totais[4] = "     0";
    return c;
}
