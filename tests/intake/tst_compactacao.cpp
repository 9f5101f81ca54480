// Packing the declaration file: the archive a standard zip reader opens, and the result codes.
#include "engine/intake/Compactacao.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Zip.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <zip.h>

namespace {
struct Entrada {
    std::string nome, conteudo;
    int metodo;
};

// Every entry of the archive, read back with libzip.
std::vector<Entrada> Ler_Arquivo(const std::string &caminho)
{
    std::vector<Entrada> entradas;
    int erro = 0;
    zip_t *za = zip_open(caminho.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &erro);
    if (!za)
        return entradas;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        std::string dados(st.size, '\0');
        zip_file_t *f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        const zip_int64_t lidos = f ? zip_fread(f, dados.data(), st.size) : -1;
        if (f)
            zip_fclose(f);
        if (lidos != static_cast<zip_int64_t>(st.size))
            dados = "<unreadable>";
        entradas.push_back({st.name, dados, st.comp_method});
    }
    zip_close(za);
    return entradas;
}

class Zip_Roteirizado : public Zip {
public:
    explicit Zip_Roteirizado(Resultado_Zip resultado) : resultado_(resultado) {}
    Resultado_Zip Compactar() override { return resultado_; }

private:
    Resultado_Zip resultado_;
};
} // namespace

class TstCompactacao : public QObject {
    Q_OBJECT
    QTemporaryDir pasta_;

    std::string Caminho(const char *nome) { return pasta_.filePath(nome).toStdString(); }
    std::string Gravar(const char *nome, const std::string &bytes)
    {
        std::ofstream(Caminho(nome), std::ios::binary) << bytes;
        return Caminho(nome);
    }

private slots:
    void archive_round_trips()
    {
        std::string bytes;
        for (int i = 0; i < 2000; ++i)
            bytes += std::string(148, static_cast<char>('A' + i % 26)) + "\xE7\r\n";
        const std::string origem = Gravar("DECL0324.MOV", bytes);
        const std::string arquivo = Caminho("Arqzip.zip");
        Zip zip;
        QVERIFY(Compacta_Arquivo(zip, origem, arquivo));
        QCOMPARE(zip.Arquivo_Zip, arquivo);
        QCOMPARE(zip.Arquivo_Origem, origem);
        const auto entradas = Ler_Arquivo(arquivo);
        QCOMPARE(entradas.size(), std::size_t(1));
        QCOMPARE(entradas[0].nome, std::string("DECL0324.MOV")); // its own name, no folders
        QCOMPARE(entradas[0].metodo, ZIP_CM_DEFLATE);
        QVERIFY(entradas[0].conteudo == bytes);
        QVERIFY(std::filesystem::file_size(arquivo) < bytes.size() / 10);
    }

    void empty_source_is_packed()
    {
        const std::string origem = Gravar("VAZIO.MOV", "");
        Zip zip;
        zip.Arquivo_Origem = origem;
        zip.Arquivo_Zip = Caminho("vazio.zip");
        QCOMPARE(zip.Compactar(), Resultado_Zip::Gravado);
        const auto entradas = Ler_Arquivo(zip.Arquivo_Zip);
        QCOMPARE(entradas.size(), std::size_t(1));
        QVERIFY(entradas[0].conteudo.empty());
    }

    void the_open_file_is_packed_not_the_name()
    {
        // A file replaced under its name after it was opened (and checked): the archive holds
        // the bytes of the open file, from its first byte, under the name.
#ifdef _WIN32
        QSKIP("Windows does not let another name replace a file the program holds open");
#endif
        const std::string origem = Gravar("DECL.MOV", std::string(5000, 'A'));
        const sistema::Descritor aberto = Abrir_Arquivo_Comum(origem);
        char lido[10];
        QCOMPARE(sistema::Ler(aberto.Fd(), lido, sizeof lido), ssize_t(10)); // a reader went on
        std::filesystem::rename(Gravar("NOVO.MOV", "trocado"), origem);
        Zip zip;
        QVERIFY(Compacta_Arquivo(zip, origem, Caminho("aberto.zip"), &aberto));
        const auto entradas = Ler_Arquivo(Caminho("aberto.zip"));
        QCOMPARE(entradas.size(), std::size_t(1));
        QCOMPARE(entradas[0].nome, std::string("DECL.MOV"));
        QVERIFY(entradas[0].conteudo == std::string(5000, 'A'));
        // The descriptor stays the caller's, open.
        QCOMPARE(sistema::Tamanho(aberto.Fd()), off_t(5000));
    }

    void failures_give_a_non_zero_code()
    {
        Zip zip;
        zip.Arquivo_Origem = Caminho("NAOEXISTE.MOV");
        zip.Arquivo_Zip = Caminho("falha.zip");
        QCOMPARE(zip.Compactar(), Resultado_Zip::Sem_Origem);
        QVERIFY(!std::filesystem::exists(zip.Arquivo_Zip));
        zip.Arquivo_Origem = pasta_.path().toStdString(); // a folder is no file to pack
        QCOMPARE(zip.Compactar(), Resultado_Zip::Sem_Origem);
        zip.Arquivo_Origem = Gravar("OK.MOV", "x");
        zip.Arquivo_Zip = Caminho("sem/pasta/falha.zip");
#ifdef _WIN32
        QCOMPARE(zip.Compactar(), Resultado_Zip::Falha_Abrir); // libzip's Windows side looks at the folder at once
#else
        QCOMPARE(zip.Compactar(), Resultado_Zip::Falha_Gravar); // libzip creates the file only on close
#endif
        QVERIFY(!Compacta_Arquivo(zip, zip.Arquivo_Origem, Caminho("sem/pasta/falha.zip")));
    }

    void result_code_decides()
    {
        for (Resultado_Zip r : {Resultado_Zip::Gravado, Resultado_Zip::Sem_Origem, Resultado_Zip::Falha_Abrir,
                                Resultado_Zip::Falha_Incluir, Resultado_Zip::Falha_Gravar}) {
            Zip_Roteirizado zip(r);
            QCOMPARE(Compacta_Arquivo(zip, "a", "b"), r == Resultado_Zip::Gravado);
        }
    }

    void second_packing_holds_only_the_second_file()
    {
        const std::string arquivo = Caminho("Arqzip2.zip");
        Zip zip;
        QVERIFY(Compacta_Arquivo(zip, Gravar("PRIMEIRO.MOV", "um"), arquivo));
        std::filesystem::remove(arquivo);
        QVERIFY(Compacta_Arquivo(zip, Gravar("SEGUNDO.MOV", "dois"), arquivo));
        auto entradas = Ler_Arquivo(arquivo);
        QCOMPARE(entradas.size(), std::size_t(1));
        QCOMPARE(entradas[0].nome, std::string("SEGUNDO.MOV"));
        QCOMPARE(entradas[0].conteudo, std::string("dois"));
        // Even without the deletion, an earlier archive is replaced, not added to.
        QVERIFY(Compacta_Arquivo(zip, Gravar("TERCEIRO.MOV", "tres"), arquivo));
        entradas = Ler_Arquivo(arquivo);
        QCOMPARE(entradas.size(), std::size_t(1));
        QCOMPARE(entradas[0].nome, std::string("TERCEIRO.MOV"));
        // A file that is no archive at all is replaced too.
        const std::string lixo = Gravar("lixo.zip", "not a zip file");
        QVERIFY(Compacta_Arquivo(zip, Gravar("QUARTO.MOV", "quatro"), lixo));
        QCOMPARE(Ler_Arquivo(lixo).size(), std::size_t(1));
    }

    void standard_unzip_accepts_the_archive()
    {
        if (QStandardPaths::findExecutable("unzip").isEmpty())
            QSKIP("unzip is not installed");
        const std::string arquivo = Caminho("teste.zip");
        Zip zip;
        QVERIFY(Compacta_Arquivo(zip, Gravar("EXEMPLO.MOV", std::string(5000, 'z') + "\r\n"), arquivo));
        QProcess p;
        p.start("unzip", {"-t", QString::fromStdString(arquivo)});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("EXEMPLO.MOV"));
    }
};

QTEST_GUILESS_MAIN(TstCompactacao)
#include "tst_compactacao.moc"
