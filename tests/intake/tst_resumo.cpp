// The summary of a declaration file shown when it is chosen: whose file, which month, which kind,
// how many movements, and whether the validation mark holds.
#include "engine/intake/Leitor_Resumo.h"
#include "engine/intake/Resumo_Declaracao.h"
#include "engine/intake/Verificacao.h"
#include "engine/platform/Erro_Execucao.h"
#include "tests/common/Declaracao_Teste.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <mutex>
#include <vector>

class TstResumo : public QObject {
    Q_OBJECT
    QTemporaryDir pasta_;

    std::string Caminho(const char *nome) { return QDir(pasta_.path()).filePath(nome).toStdString(); }

private slots:
    void movimento_validado_com_cnpj()
    {
        Opcoes_Geracao o = Declaracao_Padrao(Caminho("CNPJ.MOV"));
        o.competencia = "122026";
        o.razao_social = "PADARIA S\xC3O JO\xC3O";
        o.movimentos = 7;
        Gerar_Arquivo(o);
        const Resumo_Declaracao r = Ler_Resumo(o.saida);
        QCOMPARE(r.identificador, std::string("11.222.333/0001-81"));
        QCOMPARE(r.razao_social, std::string("PADARIA S\xC3O JO\xC3O"));
        QCOMPARE(r.mes, 12);
        QCOMPARE(r.ano, 2026);
        QCOMPARE(Texto_Competencia(r), std::string("Dezembro de 2026"));
        QCOMPARE(r.tipo_arquivo, 1);
        QCOMPARE(Texto_Tipo(r), std::string("ZELTA"));
        QCOMPARE(r.movimentos, 7);
        QVERIFY(r.validacao == Estado_Validacao::Validado);
        QCOMPARE(Texto_Validacao(r.validacao), std::string("validado"));
    }

    void acerto_nao_validado_com_cei()
    {
        Opcoes_Geracao o = Declaracao_Padrao(Caminho("CEI.MOV"));
        o.tipo = 2;
        o.tipo_identificador = "2";
        o.identificador = "00123456789012";
        o.movimentos = 0;
        o.acertos = 4;
        o.validar = false;
        Gerar_Arquivo(o);
        const Resumo_Declaracao r = Ler_Resumo(o.saida);
        QCOMPARE(r.identificador, std::string("12.345.678.901-2"));
        QCOMPARE(Texto_Tipo(r), std::string("ACERTO"));
        QCOMPARE(r.movimentos, 4);
        QCOMPARE(Texto_Competencia(r), std::string("Mar\xE7o de 2024"));
        QVERIFY(r.validacao == Estado_Validacao::Nao_Validado);
        QCOMPARE(Texto_Validacao(r.validacao), std::string("n\xE3o validado pelo PGV"));
    }

    void alterado_apos_a_validacao()
    {
        const std::string caminho = Caminho("ALT.MOV");
        Gravar_Declaracao(caminho);
        Alterar_Depois_Da_Validacao(QString::fromStdString(caminho));
        const Resumo_Declaracao r = Ler_Resumo(caminho);
        QVERIFY(r.validacao == Estado_Validacao::Alterado);
        QCOMPARE(Texto_Validacao(r.validacao), std::string("alterado ap\xF3s a valida\xE7\xE3o"));
        QCOMPARE(r.movimentos, 3);
    }

    void competencia_sem_mes_e_arquivo_ausente()
    {
        Resumo_Declaracao r;
        r.mes = 13;
        r.ano = 2026;
        QCOMPARE(Texto_Competencia(r), std::string("13/2026"));
        QVERIFY_THROWS_EXCEPTION(Erro_Execucao, Ler_Resumo(Caminho("NADA.MOV")));
    }

    // A reading asked to stop ends before the file's end; one never asked reads it all; the
    // name-length notice follows the block header's 12 places.
    void leitura_interrompida_e_nome_longo()
    {
        const std::string caminho = Caminho("PARAR.MOV");
        Gravar_Declaracao(caminho);
        const std::atomic<bool> parar{true}, seguir{false};
        QVERIFY_THROWS_EXCEPTION(Leitura_Interrompida, Ler_Resumo(caminho, &parar));
        QCOMPARE(Ler_Resumo(caminho, &seguir).movimentos, 3);
        QCOMPARE(Aviso_Nome("ABCDEFGH.MOV"), std::string());
        QCOMPARE(Aviso_Nome("ABCDEFGHI.MOV"), std::string("nome com mais de 12 caracteres"));
    }

    // Off the caller's thread: each request read is reported with its number, the newest last;
    // a file that cannot be read says why.
    void leitura_em_segundo_plano()
    {
        Opcoes_Geracao o = Declaracao_Padrao(Caminho("DOIS.MOV"));
        o.movimentos = 2;
        Gerar_Arquivo(o);
        std::mutex m;
        std::condition_variable cv;
        std::vector<Resumo_Lido> lidos;
        {
            Leitor_Resumo leitor([&](const Resumo_Lido &l) {
                std::lock_guard<std::mutex> g(m);
                lidos.push_back(l);
                cv.notify_one();
            });
            QCOMPARE(leitor.Pedir(Caminho("NADA.MOV")), uint64_t(1));
            const uint64_t ultimo = leitor.Pedir(o.saida);
            std::unique_lock<std::mutex> g(m);
            QVERIFY(cv.wait_for(g, std::chrono::seconds(30), [&] { return !lidos.empty() && lidos.back().pedido == ultimo; }));
        }
        QVERIFY(lidos.back().resumo && lidos.back().resumo->movimentos == 2);
        if (lidos.size() == 2) // the first was read before the second came
            QCOMPARE(lidos.front().falha, std::string("Arquivo ou diret\xF3rio inexistente"));
        QVERIFY(lidos.size() <= 2);
    }
};

QTEST_GUILESS_MAIN(TstResumo)
#include "tst_resumo.moc"
