#include "engine/transmit/Registro_Tentativa.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

std::string Sha256_Descritor(const sistema::Descritor &d)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    char buffer[65536];
    off_t posicao = 0;
    for (;;) {
        const ssize_t n = sistema::Ler_Em(d.Fd(), buffer, sizeof buffer, posicao);
        if (n < 0)
            return {};
        if (n == 0)
            break;
        h.addData(QByteArrayView(buffer, n));
        posicao += n;
    }
    return h.result().toHex().toStdString();
}

std::string Sha256_Arquivo(const std::string &caminho)
{
    QFile f(QFile::decodeName(caminho.c_str()));
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !h.addData(&f))
        return {};
    return h.result().toHex().toStdString();
}

void Registro_Tentativa::Inicio(const std::string &nome, const std::string &caminho,
                                const Dados_Declaracao &d, const std::string &sha256,
                                const std::string &arquivo_zip)
{
    Tentativa_Razao t;
    t.arquivo = nome;
    t.caminho =
        QFile::encodeName(QFileInfo(QFile::decodeName(caminho.c_str())).absoluteFilePath()).toStdString();
    t.sha256 = sha256;
    t.sha256_envio = Sha256_Arquivo(arquivo_zip);
    t.declaracao = d;
    try {
        livro_ = std::make_unique<Razao_Entregas>(razao_);
        id_ = livro_->Registrar_Tentativa(t);
    } catch (const Erro_Execucao &e) {
        livro_.reset();
        Falha_Livro(e.descricao);
    }
}

void Registro_Tentativa::Ultimo_Bloco()
{
    ultimo_bloco_ = true;
    if (!livro_)
        return;
    try {
        livro_->Marcar_Ultimo_Bloco(id_);
    } catch (const Erro_Execucao &e) {
        Falha_Livro(e.descricao);
    }
}

void Registro_Tentativa::Aceita(const std::string &resposta)
{
    Tentativa_Razao r;
    r.resultado = Resultado_Razao::Aceita;
    r.codigo = Codigo_Recebimento_De(resposta);
    r.data_servidor = resposta.size() > 9 ? resposta.substr(9, 14) : std::string();
    Fim(std::move(r));
}

void Registro_Tentativa::Ja_Entregue(const std::string &resposta)
{
    Tentativa_Razao r;
    r.resultado = Resultado_Razao::Ja_Entregue;
    r.codigo = Codigo_Recebimento_De(resposta);
    Fim(std::move(r));
}

void Registro_Tentativa::Recusada(int numero, const QString &mensagem, bool sem_resposta)
{
    Tentativa_Razao r;
    r.mensagem = numero;
    r.detalhe = mensagem;
    r.resultado = !sem_resposta   ? Resultado_Razao::Recusada
                  : ultimo_bloco_ ? Resultado_Razao::Incerta
                                  : Resultado_Razao::Falhou;
    Fim(std::move(r));
}

void Registro_Tentativa::Falhou(int numero, const QString &texto)
{
    Tentativa_Razao r;
    r.mensagem = numero;
    r.detalhe = texto;
    r.resultado = ultimo_bloco_ ? Resultado_Razao::Incerta : Resultado_Razao::Falhou;
    Fim(std::move(r));
}

void Registro_Tentativa::Falha_Livro(const QString &descricao)
{
    qWarning("%s", qUtf8Printable(descricao));
}

void Registro_Tentativa::Fim(Tentativa_Razao r)
{
    if (encerrada_)
        return;
    encerrada_ = true;
    resultado_ = r.resultado;
    if (!livro_)
        return;
    try {
        livro_->Registrar_Resultado(id_, r);
    } catch (const Erro_Execucao &e) {
        Falha_Livro(e.descricao);
    }
    livro_.reset();
}
