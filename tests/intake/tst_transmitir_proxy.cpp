// The real transmit window delivering through the user's proxy (tinyproxy with a user): the
// password asked once per session, the delivery, and the delivery log it leaves.
#include "../transmit/Proxies_Locais.h"
#include "../transmit/Relogio_Rapido.h"
#include "../transmit/Servidor_Local.h"

#include "engine/history/Historico.h"
#include "engine/transmit/Mensagens.h"
#include "engine/transmit/Registro_Comunicacao.h"
#include "gui/intake/Conexao_Usuario.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/Lista_Pastas.h"
#include "gui/intake/frmInicio.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/Janela_Modal.h"
#include "tests/common/RoteiroMensagens.h"

#include <QInputDialog>
#include <QPushButton>
#include <QTest>

class TstTransmitirProxy : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    Relogio_Rapido relogio_;

    void Preparar(frmInicio &f, uint16_t porta_servidor, uint16_t porta_proxy)
    {
        f.Ajustes_.servidor = "127.0.0.1";
        f.Ajustes_.porta = porta_servidor;
        f.Proxy_.tipo = Proxy::Tipo::Http;
        f.Proxy_.host = "127.0.0.1";
        f.Proxy_.porta = porta_proxy;
        f.Proxy_.usuario = "contador";
        f.Relogio_ = &relogio_;
        relogio_.Vigiar(f.Socketout_.get());
        f.show();
        QVERIFY(f.dirList->setPath(pasta_.path()));
        for (int i = 0; i < f.filList->ListCount(); ++i)
            if (f.filList->List(i) == "ENTREGA.MOV")
                f.filList->setListIndex(i);
    }

private slots:
    void initTestCase()
    {
        QDir::setCurrent(pasta_.path());
        Gravar_Declaracao("ENTREGA.MOV");
    }

    void senha_pedida_uma_vez_e_entrega_pelo_proxy()
    {
        Servidor_Local s;
        Proxy_Local http;
        Proxy_Local::Http(http, s.porta, "contador", "s3gredo");
        QFile::remove(Registro_Do_Usuario()->Caminho());

        // Giving up at the password delivers nothing and asks nothing else.
        {
            RoteiroMensagens r;
            frmInicio f;
            Preparar(f, s.porta, http.porta);
            const auto desistir = Quando_Modal<QInputDialog>([](QInputDialog *d) { d->reject(); });
            QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
            QVERIFY(r.textos().isEmpty());
            QVERIFY(!Historico_Existe());
        }

        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        Preparar(f, s.porta, http.porta);
        bool perguntou = false;
        const auto senha = Quando_Modal<QInputDialog>([&](QInputDialog *d) {
            perguntou = d->labelText().contains("contador");
            d->setTextValue("s3gredo");
            d->accept();
        });
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QVERIFY(perguntou);
        QCOMPARE(r.textos(), QStringList{Mensagem::Confirmacao_03});
        QCOMPARE(f.cmdTransmitir->text(), QString("Visualizar"));
        QCOMPARE(Ler_Historico().total, 1LL);
        // Kept for the session: a new window does not ask again.
        Proxy p = f.Proxy_;
        QVERIFY(Pedir_Senha_Se_Preciso(nullptr, p));
        QCOMPARE(p.senha, std::string("s3gredo"));

        const QString log = Registro_Do_Usuario()->Ler();
        QVERIFY2(log.contains(QStringLiteral("=== Entrega de ENTREGA.MOV")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("(HTTP 127.0.0.1:%1 (usuário contador))").arg(http.porta)));
        QVERIFY(log.contains(QStringLiteral("Mensagem: 03 - ")));
        QVERIFY(log.contains(QStringLiteral("Enviado: 1 ENTREGA.MOV0000100001 + ")));
        QVERIFY(log.contains(QStringLiteral("Aceito, código ")));
        QVERIFY(!log.contains(QStringLiteral("s3gredo")));
        Guardar_Senha_Sessao({});
    }

    // A password the proxy refuses is not kept: the delivery fails with the proxy's words, the
    // next one asks again, and the right password delivers. Another trouble with the proxy keeps
    // the password.
    void senha_recusada_pedida_de_novo()
    {
        Servidor_Local s;
        Proxy_Local http;
        Proxy_Local::Http(http, s.porta, "contador", "s3gredo");
        Guardar_Senha_Sessao({});
        int pedidas = 0;
        // One press in a new window, its password box answered with `senha` (empty: given up):
        // the messages shown, and whether it ended in the receipt state.
        struct Fim {
            QStringList textos;
            bool entregue;
        };
        const auto transmitir = [&](uint16_t porta_servidor, const QString &senha) {
            RoteiroMensagens r;
            r.responder(Resposta::Sim);
            frmInicio f;
            Preparar(f, porta_servidor, http.porta);
            const auto caixa = Quando_Modal<QInputDialog>([&pedidas, senha](QInputDialog *d) {
                ++pedidas;
                d->setTextValue(senha);
                senha.isEmpty() ? d->reject() : d->accept();
            });
            QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
            return Fim{r.textos(), f.cmdTransmitir->text() == "Visualizar"};
        };

        Fim fim = transmitir(s.porta, "errada");
        QCOMPARE(pedidas, 1);
        QCOMPARE(fim.textos, (QStringList{Mensagem::Confirmacao_03, Mensagem::Servidor_Nao_Responde_10 + QChar(13)
                                                                        + "o proxy recusou o usuário ou a senha"}));
        QVERIFY(!fim.entregue);

        fim = transmitir(s.porta, "s3gredo");
        QCOMPARE(pedidas, 2);
        QCOMPARE(fim.textos, QStringList{Mensagem::Confirmacao_03});
        QVERIFY(fim.entregue);

        // A server port the proxy does not let through: blocked, not refused; nothing is asked.
        fim = transmitir(Porta_Livre(), {});
        QCOMPARE(pedidas, 2);
        QCOMPARE(fim.textos.size(), 2);
        QVERIFY2(fim.textos[1].contains("bloqueada pelo proxy"), qPrintable(fim.textos[1]));
        Proxy p;
        p.tipo = Proxy::Tipo::Http;
        p.host = "127.0.0.1";
        p.usuario = "contador";
        QVERIFY(Pedir_Senha_Se_Preciso(nullptr, p));
        QCOMPARE(p.senha, std::string("s3gredo"));
        Guardar_Senha_Sessao({});
    }
};

QTEST_MAIN(TstTransmitirProxy)
#include "tst_transmitir_proxy.moc"
