// Block messages, block counts, progress steps, reply judging and failure messages.
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Proxy.h"
#include "engine/transmit/Falhas.h"
#include "engine/transmit/Julgamento.h"
#include "engine/transmit/Mensagem_Bloco.h"
#include "engine/transmit/Mensagens.h"

#include <QTest>

class TstProtocolo : public QObject {
    Q_OBJECT
private slots:
    void cabecalho_do_bloco()
    {
        const std::string m = Montar_Mensagem_Bloco(1, "ABC.MMM", 2, 5, "xyz");
        QCOMPARE(QByteArray::fromStdString(m), QByteArray("1     ABC.MMM0000200005xyz"));
        QCOMPARE(Montar_Mensagem_Bloco(2, "A.MMM", 1, 1, "").substr(0, 13), std::string("2       A.MMM"));
        const std::string doze = Montar_Mensagem_Bloco(1, "ABCDEFGH.MOV", 1, 1, "");
        QCOMPARE(doze.size(), size_t(23));
        QCOMPARE(doze.substr(1, 12), std::string("ABCDEFGH.MOV"));
    }

    void archive_bytes_go_unaltered()
    {
        std::string dados;
        for (int i = 0; i < 256; ++i)
            dados.push_back(static_cast<char>(i));
        const std::string m = Montar_Mensagem_Bloco(1, "X.MOV", 1, 1, dados);
        QCOMPARE(m.size(), size_t(23 + 256));
        QCOMPARE(m.substr(23), dados);
    }

    void nome_longo_e_argumento_invalido()
    {
        try {
            Montar_Mensagem_Bloco(1, "ABCDEFGHI.MOV", 1, 1, "");
            QFAIL("a 13-character name must fail");
        } catch (const Erro_Execucao &e) {
            QCOMPARE(e.numero, 5);
            QVERIFY(!e.descricao.isEmpty());
        }
    }

    void contagem_de_blocos()
    {
        QCOMPARE(Calcular_Total_Blocos(1000), int16_t(1));
        QCOMPARE(Calcular_Total_Blocos(1001), int16_t(2));
        QCOMPARE(Calcular_Total_Blocos(2000), int16_t(2));
        QCOMPARE(Calcular_Total_Blocos(13000), int16_t(13));
        QCOMPARE(Calcular_Total_Blocos(32767000), int16_t(32767));
        QVERIFY_THROWS_EXCEPTION(Erro_Execucao, Calcular_Total_Blocos(32767001));
        QCOMPARE(Tamanho_Do_Bloco(1001, 1, 2), 1000);
        QCOMPARE(Tamanho_Do_Bloco(1001, 2, 2), 1);
        QCOMPARE(Tamanho_Do_Bloco(2000, 2, 2), 1000);
        QCOMPARE(Calcular_Passo_Percentual(3), int16_t(33));
        QCOMPARE(Calcular_Passo_Percentual(101), int16_t(0));
        QCOMPARE(Calcular_Passo_Percentual(1), int16_t(100));
    }

    void julgamento_das_respostas_data()
    {
        QTest::addColumn<QByteArray>("resposta");
        QTest::addColumn<int>("veredito");
        QTest::addColumn<QString>("inicio");
        QTest::newRow("9") << QByteArray("9") << int(Veredito::Recusa) << QString("06 - ");
        QTest::newRow("8") << QByteArray("8") << int(Veredito::Recusa) << QString("07 - ");
        QTest::newRow("6") << QByteArray("6000000") << int(Veredito::Recusa) << QString("17 - ");
        QTest::newRow("5") << QByteArray("5082024") << int(Veredito::Recusa) << QString("18 - ");
        QTest::newRow("7") << QByteArray("71234567815012004090507") << int(Veredito::Ja_Transmitido) << QString("08 - ");
        QTest::newRow("0 receipt") << QByteArray("01234567815012004090507") << int(Veredito::Segue) << QString();
        QTest::newRow("OK") << QByteArray("OK") << int(Veredito::Segue) << QString();
        QTest::newRow("9 long") << QByteArray("99") << int(Veredito::Segue) << QString();
        QTest::newRow("5 short") << QByteArray("508202") << int(Veredito::Segue) << QString();
        QTest::newRow("7 short") << QByteArray("7123456781501200409050") << int(Veredito::Segue) << QString();
        QTest::newRow("empty") << QByteArray("") << int(Veredito::Segue) << QString();
    }

    void julgamento_das_respostas()
    {
        QFETCH(QByteArray, resposta);
        QFETCH(int, veredito);
        QFETCH(QString, inicio);
        const Julgamento j = Julgar_Resposta(resposta.toStdString(), "03", "2024");
        QCOMPARE(int(j.veredito), veredito);
        QVERIFY(j.mensagem.startsWith(inicio));
        QCOMPARE(j.numero, inicio.isEmpty() ? 0 : inicio.left(2).toInt());
    }

    void textos_montados_da_resposta()
    {
        QCOMPARE(Julgar_Resposta("5082024", "03", "2024").mensagem,
                 QString("18 - Transferência cancelada. O arquivo enviado é da competência 03/2024. "
                         "Estamos recebendo arquivos referentes ao mês 08 e ano 2024"));
        QCOMPARE(Julgar_Resposta("70001234515012004090507", "03", "2024").mensagem,
                 QString("08 - Este arquivo já foi transmitido anteriormente.\rCom o Código de Recebimento "
                         "00012345 em 15/01/2004 às 09:05:07.\r\rEsta transmissão foi desconsiderada. "
                         "Deseja reimprimir o recibo?"));
        // The code is written as a number: one that is not reads as 0.
        QVERIFY(Julgar_Resposta("7ABCDEFGH15012004090507", "03", "2024")
                    .mensagem.contains("Código de Recebimento 00000000 em 15/01/2004"));
        QCOMPARE(Erro_Nao_Tratado(5, Descricao_Sistema(EINVAL)), QString("Erro não tratado: 5  -  Argumento inválido"));
    }

    void falha_sem_mensagem_numerada()
    {
        // Refused and unreachable are numbered messages although the socket carries 24061 and 24051.
        QVERIFY(Aviso_Para_Falha(24061, "x").texto.startsWith("10 - "));
        QVERIFY(Aviso_Para_Falha(24051, "x").texto.startsWith("09 - "));
        const Aviso outro = Aviso_Para_Falha(24050, Descricao_Sistema(ENETDOWN));
        QCOMPARE(outro.texto, QString("Erro não tratado: 24050  -  A rede não está ativa"));
        QCOMPARE(outro.icone, Icone::Nenhum);
        QCOMPARE(outro.numero, 0);
        QCOMPARE(Aviso_Para_Falha(24061, "x").numero, 10);
        QCOMPARE(Aviso_Para_Falha(Erro_Proxy::Resposta_Invalida, "x").numero, 11);
        QVERIFY(Aviso_Para_Falha(24049, "").texto.contains("encontrada.Informe-se"));
    }
};

QTEST_MAIN(TstProtocolo)
#include "tst_protocolo.moc"
