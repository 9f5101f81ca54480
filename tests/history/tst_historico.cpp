// The history file: the stored form of a line, appending, the duplicate check and the reading
// of the newest entries, including files left behind by a crash mid-write.
#include "engine/history/Historico.h"

#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <csignal>
#include <map>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Ler_Bytes(const QString &caminho)
{
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void Escrever_Bytes(const QString &caminho, const std::string &bytes)
{
    std::ofstream f(caminho.toStdString(), std::ios::binary | std::ios::trunc);
    f << bytes;
}

// A full record whose receipt code and name tell entry `n` apart.
std::string Registro_Numero(int n, const std::string &codigo8 = {})
{
    Dados_Para_Recibo d;
    const std::string codigo = codigo8.empty() ? Preencher_Zeros(std::to_string(n), 8) : codigo8;
    d.resposta = "0" + codigo + "15012004090507";
    d.nome_arquivo = "ARQ" + std::to_string(n) + ".TXT";
    d.declaracao.Tipo_Identificador = "1";
    d.declaracao.Identificador = "12345678000190";
    d.declaracao.Razao_Social = "EMPRESA \xC7\xC3O";
    d.declaracao.Mes_Competencia = "03";
    d.declaracao.Ano_Competencia = "2024";
    return Montar_Recibo(d);
}

int Numeros_Erro(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Erro_Execucao &e) {
        return e.numero;
    }
    return 0;
}

} // namespace

class TstHistorico : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    std::string Caminho(const char *nome) const { return pasta_.filePath(nome).toStdString(); }

private slots:
    void init() { QVERIFY(pasta_.isValid()); }

    void forma_guardada_da_linha()
    {
        const std::string registro = "abc" + std::string(176, ' ');
        QCOMPARE(Codificar_Linha(registro), "klm" + std::string(176, '*'));
        QCOMPARE(Codificar_Linha("1"), std::string(";"));
        // Bytes above 245 wrap around instead of being lost.
        QCOMPARE(Codificar_Linha("\xFA"), std::string("\x04"));
        QCOMPARE(Decodificar_Linha("\x04"), std::string("\xFA"));
        std::string todos;
        for (int b = 0; b < 256; ++b)
            todos += static_cast<char>(b);
        QCOMPARE(Decodificar_Linha(Codificar_Linha(todos)), todos);
    }

    void gravar_acrescenta_uma_linha_com_cr_lf()
    {
        const std::string arq = Caminho("um.ret");
        QVERIFY(!Historico_Existe(arq));
        const std::string registro = "abc" + std::string(176, ' ');
        Gravar_Historico(registro, arq);
        QVERIFY(Historico_Existe(arq));
        QCOMPARE(Ler_Bytes(QString::fromStdString(arq)), "klm" + std::string(176, '*') + "\r\n");

        Gravar_Historico(Registro_Numero(2), arq);
        QCOMPARE(Ler_Bytes(QString::fromStdString(arq)).size(), size_t(2 * 181));
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 2LL);
        QCOMPARE(l.entradas.size(), size_t(2));
        QCOMPARE(l.entradas[0], registro);
        QCOMPARE(l.entradas[1], Registro_Numero(2));
    }

    // Every byte a record can hold, including those that wrap past 255 on disk (127 is a control
    // byte, which no record holds).
    void ida_e_volta_de_todos_os_bytes()
    {
        std::string registro;
        for (int b = 32; b <= 255; ++b)
            if (b != 127)
                registro += static_cast<char>(b);
        const std::string arq = Caminho("bytes.ret");
        Gravar_Historico(registro, arq);
        Gravar_Historico(registro.substr(registro.size() - Tamanho_Registro), arq);
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 2LL);
        QCOMPARE(l.entradas[0], registro);
        QCOMPARE(l.entradas[1], registro.substr(registro.size() - Tamanho_Registro));
    }

    // Byte 0 would be stored as a line feed and split the entry in two.
    void bytes_de_controle_nao_partem_a_linha()
    {
        const std::string arq = Caminho("controle.ret");
        Gravar_Historico(std::string("AB\0CD\nEF", 8), arq);
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 1LL);
        QCOMPARE(l.entradas[0], std::string("AB CD EF"));
    }

    void as_200_mais_novas_em_ordem()
    {
        const std::string arq = Caminho("250.ret");
        for (int n = 1; n <= 250; ++n)
            Gravar_Historico(Registro_Numero(n), arq);
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 250LL);
        QCOMPARE(l.entradas.size(), size_t(Max_Entradas_Reimpressao));
        for (int k = 0; k < 200; ++k)
            QCOMPARE(l.entradas[size_t(k)], Registro_Numero(51 + k));
    }

    void poucas_entradas_e_limites()
    {
        for (int n : {1, 199, 200, 201}) {
            const std::string arq = Caminho("limite.ret");
            std::string bytes;
            for (int i = 1; i <= n; ++i)
                bytes += Codificar_Linha(Registro_Numero(i)) + "\r\n";
            Escrever_Bytes(QString::fromStdString(arq), bytes);
            const Leitura_Historico l = Ler_Historico(arq);
            QCOMPARE(l.total, (long long)n);
            QCOMPARE(l.entradas.size(), size_t(std::min(n, 200)));
            QCOMPARE(l.entradas.front(), Registro_Numero(n > 200 ? n - 199 : 1));
            QCOMPARE(l.entradas.back(), Registro_Numero(n));
        }
    }

    // Many entries: lines cross the reader's block boundaries, and only the last 200 come back.
    void arquivo_grande_lido_por_blocos()
    {
        const std::string arq = Caminho("grande.ret");
        std::string bytes;
        for (int i = 1; i <= 12000; ++i)
            bytes += Codificar_Linha(Registro_Numero(i)) + "\r\n";
        Escrever_Bytes(QString::fromStdString(arq), bytes);
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 12000LL);
        QCOMPARE(l.entradas.size(), size_t(200));
        for (int k = 0; k < 200; ++k)
            QCOMPARE(l.entradas[size_t(k)], Registro_Numero(11801 + k));
    }

    // A record character 0 is stored as a line feed: it stays inside its entry, which stays one
    // entry (also for the duplicate test, which looks at the code after it).
    void lf_solto_fica_na_sua_linha()
    {
        const std::string arq = Caminho("lf.ret");
        std::string com_zero = Registro_Numero(8);
        com_zero[12] = '\0';
        Escrever_Bytes(QString::fromStdString(arq), Codificar_Linha(Registro_Numero(7)) + "\r\n" +
                                                        Codificar_Linha(com_zero) + "\r\n");
        QVERIFY(Codificar_Linha(com_zero).find('\n') != std::string::npos);
        const Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 2LL);
        QCOMPARE(l.entradas[1], com_zero);
        QVERIFY(Entrada_Presente("00000008", arq));
    }

    // What is no history (no line ends, or a device without end) is read with bounded memory and
    // in bounded time: of a line only its first bytes are kept.
    void linha_sem_fim_nao_esgota_a_memoria()
    {
        const std::string arq = Caminho("sem_fim.ret");
        Escrever_Bytes(QString::fromStdString(arq), std::string(8 << 20, 'x'));
        Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 1LL);
        QCOMPARE(l.entradas[0].size(), Guardado_Por_Linha);
        QVERIFY(!Entrada_Presente("00000001", arq));

        if (!QFile::exists("/dev/zero"))
            QSKIP("no /dev/zero");
        const QString elo = pasta_.filePath("zero.ret");
        QVERIFY(QFile::link("/dev/zero", elo));
        // A device is no history: refused at once instead of read without end.
        QVERIFY_THROWS_EXCEPTION(Erro_Execucao, Ler_Historico(elo.toStdString()));
        QVERIFY_THROWS_EXCEPTION(Erro_Execucao, Entrada_Presente("00000001", elo.toStdString()));
    }

    // The search looks at every entry, not only the newest 200, and returns the newest 200 matches.
    void procurar_em_todas_as_entradas()
    {
        const std::string arq = Caminho("busca.ret");
        std::string bytes;
        for (int i = 1; i <= 1000; ++i) {
            Dados_Para_Recibo d;
            d.resposta = "0" + Preencher_Zeros(std::to_string(i), 8) + "15012004090507";
            d.nome_arquivo = i == 3 ? "folha3.txt" : "ARQ" + std::to_string(i) + ".TXT";
            d.declaracao.Tipo_Identificador = "1";
            d.declaracao.Identificador = i == 5 ? "11222333000181" : "12345678000190";
            d.declaracao.Razao_Social = i == 2 ? "PADARIA S\xC3O JO\xC3O LTDA" : "EMPRESA " + std::to_string(i);
            d.declaracao.Mes_Competencia = i == 4 ? "12" : "03";
            d.declaracao.Ano_Competencia = i == 4 ? "2026" : "2024";
            bytes += Codificar_Linha(Montar_Recibo(d)) + "\r\n";
        }
        Escrever_Bytes(QString::fromStdString(arq), bytes);
        auto codigos = [&](const std::string &texto) {
            std::vector<std::string> c;
            for (const std::string &e : Procurar_Historico(texto, arq).entradas)
                c.push_back(Recibo::Codigo_Recebimento(e));
            return c;
        };
        using V = std::vector<std::string>;
        QCOMPARE(codigos("00000001"), V{"00000001"});
        QCOMPARE(codigos("  00000006 "), V{"00000006"});
        QCOMPARE(codigos("11.222.333/0001-81"), V{"00000005"});
        QCOMPARE(codigos("11222333000181"), V{"00000005"});
        QCOMPARE(codigos("333/0001"), V{"00000005"});
        QCOMPARE(codigos("padaria sao joao"), V{"00000002"}); // case and accents do not count
        QCOMPARE(codigos("S\xE3o Jo\xE3o"), V{"00000002"});
        QCOMPARE(codigos("FOLHA3"), V{"00000003"});
        QCOMPARE(codigos("12/2026"), V{"00000004"});
        QCOMPARE(codigos("122026"), V{"00000004"});
        QVERIFY(codigos("nada disso").empty());
        // A match never spans two fields: the name's end and the file name's start.
        QVERIFY(codigos("LTDA FOLHA").empty());

        Leitura_Historico l = Procurar_Historico("EMPRESA", arq);
        QCOMPARE(l.total, 1000LL);
        QCOMPARE(l.encontradas, 999LL);
        QCOMPARE(l.entradas.size(), size_t(200));
        QCOMPARE(Recibo::Codigo_Recebimento(l.entradas.back()), std::string("00001000"));
        QCOMPARE(Recibo::Codigo_Recebimento(l.entradas.front()), std::string("00000801"));
        l = Procurar_Historico("   ", arq);
        QCOMPARE(l.encontradas, 1000LL);
        QCOMPARE(l.entradas, Ler_Historico(arq).entradas);
    }

    void arquivo_vazio_ou_ausente()
    {
        const std::string vazio = Caminho("vazio.ret");
        Escrever_Bytes(QString::fromStdString(vazio), "");
        QVERIFY(Historico_Existe(vazio));
        const Leitura_Historico l = Ler_Historico(vazio);
        QCOMPARE(l.total, 0LL);
        QVERIFY(l.entradas.empty());
        QVERIFY(!Entrada_Presente("00000001", vazio));

        const std::string ausente = Caminho("ausente.ret");
        QVERIFY(!Historico_Existe(ausente));
        QVERIFY(!Entrada_Presente("00000001", ausente));
        QCOMPARE(Numeros_Erro([&] { Ler_Historico(ausente); }), Erro::Arquivo_Nao_Encontrado);
        QVERIFY(!Historico_Existe(pasta_.path().toStdString()));
    }

    // A crash mid-write leaves a last line without its end: it reads as a short record, and the
    // next entry still gets a line of its own.
    void ultima_linha_cortada()
    {
        const std::string arq = Caminho("cortado.ret");
        const std::string cortada = Codificar_Linha(Registro_Numero(3)).substr(0, 100);
        Escrever_Bytes(QString::fromStdString(arq), Codificar_Linha(Registro_Numero(1)) + "\r\n" +
                                                        Codificar_Linha(Registro_Numero(2)) + "\r\n" + cortada);
        Leitura_Historico l = Ler_Historico(arq);
        QCOMPARE(l.total, 3LL);
        QCOMPARE(l.entradas[2], Registro_Numero(3).substr(0, 100));
        QCOMPARE(Recibo::Codigo_Recebimento(l.entradas[2]), std::string("00000003"));
        QCOMPARE(Recibo::CEP(l.entradas[2]), std::string());
        QVERIFY(!Entrada_Presente("00000004", arq));

        Gravar_Historico(Registro_Numero(4), arq);
        l = Ler_Historico(arq);
        QCOMPARE(l.total, 4LL);
        QCOMPARE(l.entradas[2], Registro_Numero(3).substr(0, 100));
        QCOMPARE(l.entradas[3], Registro_Numero(4));
        QVERIFY(Entrada_Presente("00000004", arq));

        // Cut inside the receipt code: no match, no failure.
        Escrever_Bytes(QString::fromStdString(arq), Codificar_Linha(Registro_Numero(5)).substr(0, 25));
        QVERIFY(!Entrada_Presente("00000005", arq));
        QCOMPARE(Ler_Historico(arq).entradas.at(0).size(), size_t(25));
    }

    // All eight characters of the code count: codes differing only in the last digit are two deliveries.
    void duplicata_pelos_oito_digitos()
    {
        const std::string arq = Caminho("dup.ret");
        Gravar_Historico(Registro_Numero(0, "12345678"), arq);
        Gravar_Historico(Registro_Numero(0, "87654321"), arq);
        QVERIFY(Entrada_Presente("12345678", arq));
        QVERIFY(Entrada_Presente("87654321", arq));
        QVERIFY(!Entrada_Presente("12345679", arq));
        QVERIFY(!Entrada_Presente("12345670", arq));
        QVERIFY(!Entrada_Presente("02345678", arq));
        // The code is looked for at positions 22-29 only, not where it also appears (172-179).
        std::string so_no_fim = Registro_Numero(0, "11111111");
        so_no_fim.replace(171, 8, "55555555");
        Gravar_Historico(so_no_fim, arq);
        QVERIFY(!Entrada_Presente("55555555", arq));
        QVERIFY(Entrada_Presente("11111111", arq));
    }

    // Two programs, each with two threads, record the same 40 receipts: every code ends up in one
    // line, whoever got there first; an entry of another code is still appended.
    void gravar_se_ausente_uma_vez_entre_programas()
    {
        const std::string arq = Caminho("dois.ret");
        constexpr int Codigos = 40;
        auto gravar_todos = [&] {
            int novas = 0;
            for (int i = 0; i < Codigos; ++i)
                novas += Gravar_Historico_Se_Ausente(Registro_Numero(i), Mesma_Entrada::Codigo, arq) ? 1 : 0;
            return novas;
        };
        const pid_t filho = ::fork();
        QVERIFY(filho >= 0);
        if (filho == 0) {
            int status = 1;
            try {
                int outra = 0;
                std::thread t([&] { outra = gravar_todos(); });
                const int novas = gravar_todos() + (t.join(), outra);
                status = novas <= Codigos ? 0 : 1;
            } catch (...) {
            }
            ::_exit(status);
        }
        int daqui = 0;
        std::thread t([&] { daqui = gravar_todos(); });
        const int aqui = gravar_todos();
        t.join();
        int estado = 0;
        QCOMPARE(::waitpid(filho, &estado, 0), filho);
        QVERIFY(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
        QVERIFY(aqui + daqui <= Codigos);

        std::map<std::string, int> vezes;
        const Leitura_Historico h = Ler_Historico(arq);
        for (const std::string &e : h.entradas)
            ++vezes[Recibo::Codigo_Recebimento(e)];
        QCOMPARE(h.total, static_cast<long long>(Codigos));
        QCOMPARE(vezes.size(), size_t(Codigos));
        QVERIFY(!Gravar_Historico_Se_Ausente(Registro_Numero(3), Mesma_Entrada::Codigo, arq));
        QVERIFY(Gravar_Historico_Se_Ausente(Registro_Numero(Codigos), Mesma_Entrada::Codigo, arq));
        QCOMPARE(Ler_Historico(arq).total, static_cast<long long>(Codigos) + 1);

        // The same delivery is the same record but for the file name (a copy of the file): a code
        // met again with another company, month or reception time is a delivery of its own.
        std::string copia = Registro_Numero(5);
        copia.replace(9, 12, "   COPIA.MOV");
        QVERIFY(!Gravar_Historico_Se_Ausente(copia, Mesma_Entrada::Entrega, arq));
        int outras = 0;
        for (const auto &[posicao, valor] : std::vector<std::pair<size_t, std::string>>{
                 {30, "99888777000166"}, {44, "OUTRA EMPRESA"}, {129, "04"}, {165, "235959"}}) {
            std::string outra = Registro_Numero(5);
            outra.replace(posicao, valor.size(), valor);
            QVERIFY2(Gravar_Historico_Se_Ausente(outra, Mesma_Entrada::Entrega, arq), qPrintable(QString::number(posicao)));
            QVERIFY(!Gravar_Historico_Se_Ausente(outra, Mesma_Entrada::Codigo, arq));
            ++outras;
        }
        QCOMPARE(Ler_Historico(arq).total, static_cast<long long>(Codigos) + 1 + outras);
    }

    // Another program keeps the history locked: the append gives up after its limit and names
    // the holder, instead of waiting for ever.
    void trava_alheia_tem_limite_e_dono()
    {
        const std::string arq = Caminho("travado.ret");
        int canal[2];
        QCOMPARE(::pipe(canal), 0);
        const pid_t filho = ::fork();
        QVERIFY(filho >= 0);
        if (filho == 0) {
            const Anexo_Travado trava(arq, 0);
            const char pronto = 'x';
            if (::write(canal[1], &pronto, 1) == 1)
                ::sleep(120); // ended by the test
            ::_exit(0);
        }
        char pronto = 0;
        const bool travado = ::read(canal[0], &pronto, 1) == 1;
        ::close(canal[0]);
        ::close(canal[1]);
        QString descricao;
        int numero = 0;
        if (travado) {
            try {
                Gravar_Historico(Registro_Numero(1), arq);
            } catch (const Erro_Execucao &e) {
                numero = e.numero;
                descricao = e.descricao;
            }
        }
        ::kill(filho, SIGKILL);
        ::waitpid(filho, nullptr, 0);
        QVERIFY(travado);
        QCOMPARE(numero, Erro::Permissao_Negada);
        QCOMPARE(descricao, QStringLiteral("Arquivo em uso pelo programa tst_historico (processo %1)").arg(filho));
        // Once the holder is gone the append goes through.
        Gravar_Historico(Registro_Numero(1), arq);
        QCOMPARE(Ler_Historico(arq).total, 1LL);
    }

    void falhas_de_gravacao_e_leitura()
    {
        const int sem_pasta = Numeros_Erro([] { Gravar_Historico("abc", "/nao-existe.invalid/Zelta.ret"); });
        QCOMPARE(sem_pasta, Erro::Arquivo_Nao_Encontrado);
        // sysfs refuses new files even to root, unlike a folder without write permission.
        if (QDir("/sys").exists()) {
            const int sem_permissao = Numeros_Erro([] { Gravar_Historico("abc", "/sys/Zelta.ret"); });
            QCOMPARE(sem_permissao, Erro::Permissao_Negada);
        }
        // A device that is always full: the write itself fails.
        if (QFile::exists("/dev/full"))
            QCOMPARE(Numeros_Erro([] { Gravar_Historico("abc", "/dev/full"); }), Erro::Disco_Cheio);
        const std::string pasta = pasta_.path().toStdString();
        QCOMPARE(Numeros_Erro([&] { Gravar_Historico("abc", pasta); }), Erro::Caminho_Inacessivel);
        QVERIFY(Numeros_Erro([&] { Ler_Historico(pasta); }) != 0);
        QVERIFY(Numeros_Erro([&] { Entrada_Presente("00000001", pasta); }) != 0);
    }

    // One file name everywhere, spelled exactly, in the current directory.
    void nome_padrao_no_diretorio_atual()
    {
        QCOMPARE(std::string(Historico_Transmissoes), std::string("Zelta.ret"));
        const QString antes = QDir::currentPath();
        QVERIFY(QDir::setCurrent(pasta_.path()));
        QVERIFY(!Historico_Existe());
        Gravar_Historico(Registro_Numero(7));
        const bool existe = Historico_Existe();
        const bool presente = Entrada_Presente("00000007");
        const long long total = Ler_Historico().total;
        const QStringList nomes = QDir(pasta_.path()).entryList(QDir::Files);
        QDir::setCurrent(antes);
        QVERIFY(existe);
        QVERIFY(presente);
        QCOMPARE(total, 1LL);
        QVERIFY(nomes.contains("Zelta.ret"));
        QVERIFY(!nomes.contains("zelta.ret"));
    }
};

QTEST_APPLESS_MAIN(TstHistorico)
#include "tst_historico.moc"
