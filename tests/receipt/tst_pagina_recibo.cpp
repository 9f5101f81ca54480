// The receipt page as data: every line of both file kinds, and the one-character-column rendering.
#include "engine/receipt/Pagina_Recibo.h"
#include "tests/receipt/Registros_Teste.h"

#include <QDateTime>
#include <QTest>

using Pagina_Recibo::Item;
using Pagina_Recibo::Linha;

namespace {
const QDateTime Agora(QDate(2024, 3, 6), QTime(8, 4, 2));

QString B(int n) { return QString(n, QLatin1Char(' ')); }
// Text starting at 1-based column n.
QString Col(int n, const QString &t) { return B(n - 1) + t; }
const QString Regua = Col(14, QString(105, QLatin1Char('_')));

QStringList Texto(const std::string &registro)
{
    QStringList l;
    for (const QString &s : Texto_Pagina(Montar_Pagina(registro, Agora)))
        l << s;
    return l;
}

QStringList Cabecalho(const QString &tipo, const QString &referencia, const QString &identificacao)
{
    QStringList l{Regua,
                  Col(14, "KORVENAL") + B(40) + "Emissão: 06/03/2024",
                  "",
                  Col(14, "ZELTA Net - APLICATIVO DE TRANSMISSÃO VIA INTERNET") + B(51) + "08:04:02",
                  "",
                  Col(14, tipo).leftJustified(120) + "Versão: 1.01",
                  "",
                  Col(47, "RECIBO DE ENTREGA DO MEIO MAGNÉTICO"),
                  "",
                  Col(30, "VORNEX - ZELTA - LEI Nº 9.999/99"),
                  ""};
    if (!referencia.isEmpty())
        l << Col(53, "REFERÊNCIA : " + referencia);
    l << Regua << Col(14, "Estabelecimento Autorizado :") << "" << Col(14, identificacao) << ""
      << Col(14, "END.: RUA DAS FLORES, 100" + B(21)) << "" << Col(14, "CEP: 12.345-678 - SP") << "" << "";
    return l;
}

QString Total(const QString &inicio, const QString &rotulo, int s, const QString &valor)
{
    return inicio + rotulo + B(s) + ":" + B(1) + valor;
}
} // namespace

class tst_pagina_recibo : public QObject {
    Q_OBJECT
private slots:
    void movimento_completo()
    {
        QStringList esperado = Cabecalho("ARQUIVO ZELTA", "Março de 2024",
                                         "CNPJ : 12.345.678/0001-90 - CONSTRUÇÃO ÁGUA LTDA" + B(15));
        esperado << Total(B(89), "Total de Autorizados Informados", 3, "     1")
                 << Total(B(84), "Total de Estabelecimentos Informados", 2, "     1")
                 << Total(B(86), "Total de Movimentações Informadas", 2, "    25")
                 << Total(B(86), "Total de Registros no Arquivo ZELTA", 1, "    27")
                 << Total(B(85), "Total de Registros Acerto no Arquivo", 2, "     0")
                 << Total(B(90), "PIS/PASEP Zerados Informados", 3, "     2") << "" << ""
                 << Col(14, "Recebido por Transmissão pela INTERNET") << Col(14, "em 05/03/2024 às 14:07:09") << ""
                 << Col(14, "Código do Recebimento: 00012345") << "" << "" << Regua;
        const QStringList obtido = Texto(Registro_Teste());
        QCOMPARE(obtido.size(), esperado.size());
        for (int i = 0; i < esperado.size(); ++i)
            QCOMPARE(obtido[i], esperado[i]);
    }

    void acerto_completo()
    {
        QStringList esperado = Cabecalho("ARQUIVO ACERTO", "Novembro de 2023",
                                         "CEI : 12.345.678.901-2 - CONSTRUÇÃO ÁGUA LTDA" + B(15));
        esperado << Total(B(89), "Total de Autorizados Informados", 1, "     1")
                 << Total(B(85), "Total de Movimentações Informadas", 1, "     4")
                 << Total(B(91), "Total de Registros no Arquivo", 2, "     5") << "" << ""
                 << Col(14, "Recebido por Transmissão pela INTERNET") << Col(14, "em 05/03/2024 às 14:07:09") << ""
                 << "" << Col(14, "Código do Recebimento: 00054321") << "" << "" << "" << Regua;
        const QStringList obtido = Texto(Registro_Teste(Campos_Acerto()));
        QCOMPARE(obtido.size(), esperado.size());
        for (int i = 0; i < esperado.size(); ++i)
            QCOMPARE(obtido[i], esperado[i]);
    }

    void mes_fora_do_ano_sem_linha_de_referencia_data()
    {
        QTest::addColumn<QString>("mes");
        QTest::newRow("13") << "13";
        QTest::newRow("00") << "00";
        QTest::newRow("brancos") << "  ";
    }
    void mes_fora_do_ano_sem_linha_de_referencia()
    {
        QFETCH(QString, mes);
        Campos_Teste c;
        c.mes = mes.toStdString();
        const QStringList l = Texto(Registro_Teste(c));
        QCOMPARE(l.size(), Texto(Registro_Teste()).size() - 1);
        QCOMPARE(l[10], QString());
        QCOMPARE(l[11], Regua); // the rule follows the blank after the register line
        for (const QString &s : l)
            QVERIFY(!s.contains("REFERÊNCIA"));
    }

    // Printing does not zero-pad the identifier (the preview does).
    void identificador_como_gravado()
    {
        Campos_Teste c;
        c.id = "  345678000190";
        QVERIFY(Texto(Registro_Teste(c))[15].startsWith(Col(14, "CNPJ :   .345.678/0001-90 - ")));
        c.tipo_id = " ";
        c.id = "  123456789012";
        QVERIFY(Texto(Registro_Teste(c))[15].startsWith(Col(14, "CEI : 12.345.678.901-2 - ")));
    }

    // A truncated record gives short fields, never a failure.
    void registro_curto()
    {
        const QStringList l = Texto("20240305");
        QCOMPARE(l.size(), 35); // an adjustment layout with no competence line
        QCOMPARE(l.last(), Regua);
        QVERIFY(Texto(std::string()).size() > 0);
    }

    void tab_ja_passada_continua_na_linha_seguinte()
    {
        const std::vector<Linha> p{{{Item::Tab, 3, {}}, {Item::Texto, 0, "abcdef"}, {Item::Tab, 5, {}}, {Item::Texto, 0, "x"}},
                                   {{Item::Texto, 0, "ab"}, {Item::Tab, 3, {}}, {Item::Spc, 2, {}}, {Item::Texto, 0, "y"}}};
        const std::vector<QString> esperado{"  abcdef", "    x", "ab  y"};
        QCOMPARE(Texto_Pagina(p), esperado);
    }
};

QTEST_GUILESS_MAIN(tst_pagina_recibo)
#include "tst_pagina_recibo.moc"
