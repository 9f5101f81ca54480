// The program's TCP client against the reception server: the two ends agree on the protocol,
// and the server's misbehaviour reaches the client as the socket errors it reports.
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"
#include "tests/tools/Cliente_Teste.h"

#include <QtTest>

#include <chrono>
#include <thread>

namespace {

// Polls like the transmit command, but every 20 ms: the first bytes that wait are the reply.
std::string Resposta(Socketout &s)
{
    for (int i = 0; i < 400; ++i) {
        if (int n = s.Bytes_Disponiveis())
            return s.Receber_Dados(n);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

// Uploads `arquivo` and returns the replies, or the socket error number that ended it.
std::vector<std::string> Enviar_Com_Socketout(uint16_t porta, const std::string &arquivo, int &erro)
{
    std::vector<std::string> respostas;
    Socketout s;
    s.Host_Remoto = "localhost";
    s.Porta_Remota = porta;
    erro = 0;
    try {
        s.Abrir_Conexao();
        const int total = Total_Blocos(arquivo);
        for (int i = 1; i <= total; ++i) {
            const std::string b = Bloco(arquivo, "A.MMM", '1', i, total);
            s.Enviar_Dados(b, int(b.size()));
            respostas.push_back(Resposta(s));
            s.Comando_Pos_Resposta();
        }
    } catch (const Erro_Execucao &e) {
        erro = e.numero;
    }
    s.Fechar_Conexao();
    return respostas;
}

} // namespace

class TstServidorSocketout : public QObject {
    Q_OBJECT
private slots:
    void entrega_completa()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 150, "s")}}, true);
        int erro = 0;
        auto r = Enviar_Com_Socketout(s.porta, a, erro);
        QCOMPARE(erro, 0);
        QCOMPARE(int(r.size()), Total_Blocos(a));
        for (size_t i = 0; i + 1 < r.size(); ++i)
            QCOMPARE(r[i], std::string("OK"));
        QCOMPARE(r.back().size(), size_t(23));
        QCOMPARE(r.back().substr(0, 9), std::string("000000001"));
    }

    void reset_e_fechamento_do_servidor()
    {
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 85, "r")}});
        QCOMPARE(Total_Blocos(a), 3);
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        int erro = 0;
        o.reset_apos = 2;
        {
            Servidor_Teste s(o);
            auto r = Enviar_Com_Socketout(s.porta, a, erro);
            QCOMPARE(erro, 24054);     // "aborted" message for the user
            QCOMPARE(r.size(), size_t(1));
        }
        o.reset_apos = 0;
        o.fechar_apos = 2;
        Servidor_Teste s(o);
        Enviar_Com_Socketout(s.porta, a, erro);
        QCOMPARE(erro, 24053); // no reply can come
    }
};

QTEST_GUILESS_MAIN(TstServidorSocketout)
#include "tst_servidor_socketout.moc"
