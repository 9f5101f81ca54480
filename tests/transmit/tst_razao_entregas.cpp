// The ledger of deliveries as the transmit command writes it, against the local reception
// server: deliveries left uncertain (no reply after the last block, the connection closed or
// reset after it) and settled by sending the same bytes again, whether the server had them
// (message 08) or not; a changed file is not sent again; refusals and failures are not uncertain.
#include "Pasta_Entregas.h"
#include "Relogio_Rapido.h"
#include "Servidor_Local.h"

#include "engine/history/Historico.h"
#include "engine/ledger/Razao_Entregas.h"
#include "engine/receipt/Registro_Recibo.h"
#include "engine/transmit/Lote.h"
#include "engine/transmit/Registro_Tentativa.h"
#include "engine/transmit/Verificar_Incertas.h"
#include "tests/common/Declaracao_Teste.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {
std::string Gerar(const std::string &nome, const std::string &empresa)
{
    Opcoes_Geracao o = Declaracao_Padrao(nome);
    o.razao_social = empresa;
    Gerar_Arquivo(o);
    return nome;
}

std::vector<Tentativa_Razao> Todas()
{
    return Razao_Entregas(Caminho_Razao(Historico_Transmissoes)).Todas();
}
} // namespace

class TstRazaoEntregas : public QObject {
    Q_OBJECT

    Pasta_Entregas pasta_;
    std::atomic<bool> nunca_{false};

    static Ajustes_Lote Ajustes(uint16_t porta, bool servidor_calado = false)
    {
        Ajustes_Lote a;
        a.servidor = "127.0.0.1";
        a.porta = porta;
        a.espera_maxima_s = 60;
        if (servidor_calado) // silence is meant: the fast clock does not wait for the socket
            a.novo_relogio = [](Socketout &) { return std::make_unique<Relogio_Rapido>(); };
        else
            a.novo_relogio = [](Socketout &s) { return std::make_unique<Relogio_Rapido>(&s); };
        return a;
    }

    Resultado_Entrega Entregar(const std::string &arquivo, const Ajustes_Lote &a)
    {
        return Transmitir_Lote({arquivo}, a, {}, nunca_).at(0);
    }

    std::vector<Incerta_Verificada> Verificar(uint16_t porta)
    {
        return Verificar_Incertas(Entregas_Incertas(Historico_Transmissoes), Ajustes(porta), {}, nunca_);
    }

private slots:
    void init() { pasta_.Entrar(); }
    void cleanup() { pasta_.Sair(); }

    // The server records the file and never answers: message 05 answered No ends it with 06.
    // Sent again, the server finds it received before: message 08's path records the receipt.
    void sem_resposta_fica_incerta_e_verificar_acha_ja_recebida()
    {
        const std::string arquivo = Gerar("A.MOV", "EMPRESA A");
        {
            servidor::Opcoes o;
            o.sem_resposta = true;
            const Servidor_Teste calado(pasta_.Servidor(o));
            const Resultado_Entrega r = Entregar(arquivo, Ajustes(calado.porta, true));
            QCOMPARE(r.situacao, Situacao_Entrega::Incerta);
            QCOMPARE(Texto_Resultado(r), QString("Incerto, verificar (mensagem 06)"));
            QVERIFY(!Lote_Bem_Sucedido({r}));
        }
        QVERIFY(!Historico_Existe());

        const std::vector<Tentativa_Razao> incertas = Entregas_Incertas(Historico_Transmissoes);
        QCOMPARE(incertas.size(), size_t(1));
        const Tentativa_Razao &t = incertas[0];
        QCOMPARE(t.arquivo, std::string("A.MOV"));
        QCOMPARE(t.caminho, QFile::encodeName(QDir::current().absoluteFilePath("A.MOV")).toStdString());
        QCOMPARE(t.sha256, Sha256_Arquivo(arquivo));
        QCOMPARE(t.sha256.size(), size_t(64));
        QCOMPARE(t.sha256_envio.size(), size_t(64));
        QCOMPARE(t.declaracao.Razao_Social.substr(0, 9), std::string("EMPRESA A"));
        QCOMPARE(t.declaracao.Mes_Competencia + t.declaracao.Ano_Competencia, std::string("032024"));
        QVERIFY(t.ultimo_bloco);
        QCOMPARE(t.resultado, Resultado_Razao::Incerta);
        QCOMPARE(t.mensagem, 6);

        const Servidor_Teste normal(pasta_.Servidor());
        const std::vector<Incerta_Verificada> v = Verificar(normal.porta);
        QCOMPARE(v.size(), size_t(1));
        QCOMPARE(v[0].resultado.situacao, Situacao_Entrega::Ja_Entregue);
        QVERIFY(v[0].resultado.historico_nao_gravado.isEmpty());
        QVERIFY(Entrada_Presente(v[0].resultado.codigo));
        QVERIFY(Entregas_Incertas(Historico_Transmissoes).empty());
        const std::vector<Tentativa_Razao> todas = Todas();
        QCOMPARE(todas.size(), size_t(2));
        QCOMPARE(todas[1].resultado, Resultado_Razao::Ja_Entregue);
        QCOMPARE(todas[1].codigo, v[0].resultado.codigo);
        QCOMPARE(todas[1].sha256, t.sha256);

        // Nothing is left to verify: nothing is sent.
        QVERIFY(Verificar(normal.porta).empty());
        QCOMPARE(Todas().size(), size_t(2));
    }

    void conexao_perdida_apos_ultimo_bloco_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("fechada") << false;
        QTest::newRow("reset") << true;
    }

    // The connection ends after the last block, unjudged: uncertain with message 11. The server
    // never judged it, so sending it again gets a receipt of its own.
    void conexao_perdida_apos_ultimo_bloco()
    {
        QFETCH(bool, reset);
        const std::string arquivo = Gerar("B.MOV", "EMPRESA B");
        {
            servidor::Opcoes o;
            (reset ? o.reset_apos : o.fechar_apos) = 1; // the file packs into one block
            const Servidor_Teste corta(pasta_.Servidor(o));
            const Resultado_Entrega r = Entregar(arquivo, Ajustes(corta.porta));
            QCOMPARE(r.situacao, Situacao_Entrega::Incerta);
            QCOMPARE(Texto_Resultado(r), QString("Incerto, verificar (mensagem 11)"));
        }
        QCOMPARE(Entregas_Incertas(Historico_Transmissoes).size(), size_t(1));
        QCOMPARE(Entregas_Incertas(Historico_Transmissoes)[0].mensagem, 11);

        const Servidor_Teste normal(pasta_.Servidor());
        const std::vector<Incerta_Verificada> v = Verificar(normal.porta);
        QCOMPARE(v.size(), size_t(1));
        QCOMPARE(v[0].resultado.situacao, Situacao_Entrega::Aceita);
        QCOMPARE(Ler_Historico().entradas, std::vector<std::string>{v[0].resultado.registro});
        QVERIFY(Entregas_Incertas(Historico_Transmissoes).empty());
        const Tentativa_Razao aceita = Todas().back();
        QCOMPARE(aceita.resultado, Resultado_Razao::Aceita);
        QCOMPARE(aceita.codigo, Recibo::Codigo_Recebimento(v[0].resultado.registro));
        QCOMPARE(aceita.data_servidor.size(), size_t(14));
    }

    // A file changed or removed since the uncertain delivery is not sent again: it stays uncertain,
    // and says why.
    void arquivo_alterado_ou_removido_nao_e_reenviado()
    {
        const std::string a = Gerar("A.MOV", "EMPRESA A"), b = Gerar("B.MOV", "EMPRESA B");
        {
            servidor::Opcoes o;
            o.fechar_apos = 1;
            const Servidor_Teste corta(pasta_.Servidor(o));
            const auto r = Transmitir_Lote({a, b}, Ajustes(corta.porta), {}, nunca_);
            QCOMPARE(r[0].situacao, Situacao_Entrega::Incerta);
            QCOMPARE(r[1].situacao, Situacao_Entrega::Incerta);
        }
        Alterar_Depois_Da_Validacao("A.MOV");
        QVERIFY(QFile::remove("B.MOV"));

        const Servidor_Teste normal(pasta_.Servidor());
        const std::vector<Incerta_Verificada> v = Verificar(normal.porta);
        QCOMPARE(v.size(), size_t(2));
        // Newest first.
        QCOMPARE(v[0].tentativa.arquivo, std::string("B.MOV"));
        QCOMPARE(v[0].resultado.situacao, Situacao_Entrega::Incerta);
        QVERIFY(v[0].resultado.mensagem.startsWith("o arquivo não foi encontrado em "));
        QCOMPARE(v[1].resultado.situacao, Situacao_Entrega::Incerta);
        QCOMPARE(Texto_Resultado(v[1].resultado),
                 QString("Incerto, verificar: o arquivo foi alterado depois do envio; não foi reenviado"));
        QCOMPARE(Todas().size(), size_t(2)); // nothing went
        QCOMPARE(Entregas_Incertas(Historico_Transmissoes).size(), size_t(2));
        QVERIFY(!Historico_Existe());
    }

    // What ends a delivery with a judged reply, or before its last block, is no uncertainty.
    void aceitas_recusadas_e_falhas_nao_ficam_incertas()
    {
        const std::string a = Gerar("A.MOV", "EMPRESA A");
        {
            const Servidor_Teste normal(pasta_.Servidor());
            const Resultado_Entrega r = Entregar(a, Ajustes(normal.porta));
            QCOMPARE(r.situacao, Situacao_Entrega::Aceita);
            QCOMPARE(Entregar(a, Ajustes(normal.porta)).situacao, Situacao_Entrega::Ja_Entregue);
        }
        {
            servidor::Opcoes o;
            o.competencia.aceita = "082024";
            Servidor_Local recusa(o);
            QCOMPARE(Entregar(Gerar("C.MOV", "EMPRESA C"), Ajustes(recusa.porta)).situacao,
                     Situacao_Entrega::Recusada);
        }
        uint16_t fechada = 0;
        {
            const Servidor_Local s;
            fechada = s.porta; // listening a moment ago, closed now: message 10
        }
        QCOMPARE(Entregar(a, Ajustes(fechada)).situacao, Situacao_Entrega::Recusada);

        const std::vector<Tentativa_Razao> todas = Todas();
        QCOMPARE(todas.size(), size_t(4));
        QCOMPARE(todas[0].resultado, Resultado_Razao::Aceita);
        QCOMPARE(todas[1].resultado, Resultado_Razao::Ja_Entregue);
        QCOMPARE(todas[1].codigo, todas[0].codigo);
        QCOMPARE(todas[2].resultado, Resultado_Razao::Recusada);
        QCOMPARE(todas[2].mensagem, 18);
        QVERIFY(todas[2].ultimo_bloco);
        QCOMPARE(todas[3].resultado, Resultado_Razao::Falhou);
        QCOMPARE(todas[3].mensagem, 10);
        QVERIFY(!todas[3].ultimo_bloco);
        QVERIFY(Entregas_Incertas(Historico_Transmissoes).empty());
    }
};

QTEST_GUILESS_MAIN(TstRazaoEntregas)
#include "tst_razao_entregas.moc"
