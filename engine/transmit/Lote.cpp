#include "engine/transmit/Lote.h"
#include "engine/transmit/Mensagens.h"

#include "engine/history/Historico.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"
#include "engine/transmit/Janela_Via_Rede.h"
#include "engine/platform/Texto1252.h"
#include "engine/platform/Zip.h"
#include "engine/receipt/Registro_Recibo.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/transmit/Comando_Transmitir.h"
#include "engine/transmit/Janela_Transmissao.h"
#include "engine/transmit/Relogio.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <mutex>
#include <thread>

namespace {

constexpr double Segundos_Dia = 86400;

// Serialises the observer's calls across the delivering threads.
class Avisos {
public:
    explicit Avisos(const std::function<void(const Evento_Entrega &)> &f) : f_(f) {}
    void operator()(const Evento_Entrega &e)
    {
        if (!f_)
            return;
        const std::lock_guard<std::mutex> vez(m_);
        f_(e);
    }

private:
    const std::function<void(const Evento_Entrega &)> &f_;
    std::mutex m_;
};

QString Texto_Historico_Nao_Gravado(const QString &descricao)
{
    return QStringLiteral("recibo não gravado no histórico: ") + descricao;
}

// One delivery's window: its own components, and the batch's answers.
class Janela_Lote : public Janela_Transmissao {
public:
    Janela_Lote(size_t indice, Resultado_Entrega &r, Relogio &relogio, Socketout &socket, const Ajustes_Lote &a,
                Avisos &avisos, const std::atomic<bool> &parar)
        : indice_(indice), r_(r), relogio_(relogio), ajustes_(a), avisos_(avisos), parar_(parar), socket_(socket)
    {
    }

    void Foco_Lista_Arquivos() override {}
    bool Em_Estado_Recibo() override { return false; }

    QString Legenda(Controle) override { return QStringLiteral("&Transmitir"); }
    void Definir_Legenda(Controle, const QString &) override {}
    void Habilitar(Controle, bool) override {}
    void Mostrar(Controle, bool) override {}

    // The batch's policy: go on unless stopped; a delivery made before is recorded as such.
    Resposta Perguntar(Pergunta pergunta, const QString &texto) override
    {
        Resposta r = Resposta::Nao;
        switch (pergunta) {
        case Pergunta::Confirmar_03: // asked once for the whole batch by its driver
            return Resposta::Sim;
        case Pergunta::Tamanho_04:
            r = Resposta::Sim;
            break;
        case Pergunta::Demora_05:
            if (!parar_ && Esperando_Ha() < ajustes_.espera_maxima_s)
                r = Resposta::Sim;
            break;
        case Pergunta::Reimprimir_08:
            r_.situacao = Situacao_Entrega::Ja_Entregue;
            break;
        }
        Mensagem(texto, Numero_Da_Pergunta(pergunta), r);
        return r;
    }
    void Avisar(const Aviso &aviso) override { Mensagem(aviso.texto, aviso.numero, Resposta::Ok); }
    void Ponteiro_Espera(bool) override {}

    void Guardar_Recibo(const std::string &registro) override { r_.registro = registro; }
    // Nobody can print or preview now: the result says what happened.
    void Historico_Nao_Gravado(const QString &descricao) override
    {
        r_.historico_nao_gravado = descricao;
        Mensagem(Texto_Historico_Nao_Gravado(descricao), 0, Resposta::Ok);
    }
    void Entrar_Estado_Recibo(const QString &codigo) override
    {
        r_.situacao = Situacao_Entrega::Aceita;
        r_.codigo = Para_1252(codigo);
    }

    void Bloco_Enviado(int bloco, int total) override
    {
        desde_ = relogio_.Hora_Do_Dia();
        Evento_Entrega e{Evento_Entrega::Bloco, indice_};
        e.bloco = bloco;
        e.total = total;
        Avisar_Evento(e);
    }
    void Aguardando_Resposta() override { Avisar_Evento({Evento_Entrega::Aguardando, indice_}); }
    bool Interromper() override { return parar_; }
    // The limit is kept to the pause (5 s), not to the next twenty pauses.
    bool Espera_Esgotada() override { return Esperando_Ha() >= ajustes_.espera_maxima_s; }

    Socketout &Socket() override { return socket_; }
    Zip &Compactador() override { return zip_; }

    void Mostrar_Visualizar() override {}
    void Mostrar_Reimpressao(const std::string &) override {}
    void Processar_Eventos() override {}
    void Fechar() override
    {
        if (socket_.Conectado())
            socket_.Fechar_Conexao();
    }

private:
    // Seconds since the last block went (the wait for its reply), across midnight.
    double Esperando_Ha()
    {
        const double d = relogio_.Hora_Do_Dia() - desde_;
        return d < 0 ? d + Segundos_Dia : d;
    }
    void Mensagem(const QString &texto, int numero, Resposta resposta)
    {
        r_.mensagem = texto;
        r_.numero_mensagem = numero;
        Evento_Entrega e{Evento_Entrega::Mensagem, indice_};
        e.texto = texto;
        e.resposta = resposta;
        Avisar_Evento(e);
    }
    void Avisar_Evento(const Evento_Entrega &e) { avisos_(e); }

    size_t indice_;
    Resultado_Entrega &r_;
    Relogio &relogio_;
    const Ajustes_Lote &ajustes_;
    Avisos &avisos_;
    const std::atomic<bool> &parar_;
    double desde_ = 0;
    Socketout &socket_;
    Zip zip_;
};

// The name goes into the block header as the chooser would list it; the file is opened by its
// own bytes.
Arquivo_Escolhido Escolha(const std::string &arquivo)
{
    const auto barra = arquivo.find_last_of('/');
    Arquivo_Escolhido a;
    a.nome_sistema = barra == std::string::npos ? arquivo : arquivo.substr(barra + 1);
    a.nome = Nome_Mostrado(QByteArray::fromStdString(a.nome_sistema));
    a.pasta = barra == std::string::npos ? "." : arquivo.substr(0, barra);
    return a;
}

void Entregar(size_t indice, Resultado_Entrega &r, const Ajustes_Lote &a, const std::string &zip, Avisos &avisos,
              const std::atomic<bool> &parar)
{
    Socketout socket;
    std::unique_ptr<Relogio> relogio = a.novo_relogio ? a.novo_relogio(socket) : std::make_unique<Relogio_Sistema>();
    r.situacao = Situacao_Entrega::Recusada; // until the command says otherwise
    avisos({Evento_Entrega::Inicio, indice});
    Janela_Lote propria(indice, r, *relogio, socket, a, avisos, parar);
    Janela_Via_Rede janela(propria, a.proxy, a.registro.get(), QFile::decodeName(QByteArray::fromStdString(r.arquivo)));
    Ajustes_Transmissao t;
    t.servidor = a.servidor;
    t.porta = a.porta;
    t.arquivo_zip = zip;
    t.historico = a.historico;
    Comando_Transmitir comando(janela, *relogio, t);
    comando.cmdTransmitir_Click(Escolha(r.arquivo));
    r.declaracao = comando.Declaracao();
    r.falha = comando.Numero_Falha();
    if (comando.Incerta())
        r.situacao = Situacao_Entrega::Incerta;
    if (r.situacao == Situacao_Entrega::Ja_Entregue) {
        r.codigo = Codigo_Recebimento_De(comando.Resposta_Servidor());
        // A failure after 08 (the history's look before the append, the connection) ends the
        // command with its own message: the history itself says whether the receipt is there.
        if (r.historico_nao_gravado.isEmpty()) {
            try {
                if (!Entrada_Presente(r.codigo, a.historico))
                    r.historico_nao_gravado = QStringLiteral("o recibo não está no histórico");
            } catch (const Erro_Execucao &e) {
                r.historico_nao_gravado = e.descricao;
            }
        }
    }
    Evento_Entrega fim{Evento_Entrega::Fim, indice};
    fim.resultado = &r;
    avisos(fim);
}

// A message's number as it is shown: two digits.
QString Dois_Digitos(int numero)
{
    return QStringLiteral("%1").arg(numero, 2, 10, QLatin1Char('0'));
}

// A delivery that did not go: the server's or the checks' refusal, the user's stop, or a failure
// (connection, packing, a run-time error) with its reason.
QString Texto_Recusa(const Resultado_Entrega &r)
{
    const int numero = r.numero_mensagem;
    if (numero == 0)
        return QStringLiteral("Falhou: ") + Em_Uma_Linha(r.mensagem);
    if (numero == 6)
        return QStringLiteral("Interrompido (mensagem 06)");
    if (numero >= 9 && numero <= 13)
        return QStringLiteral("Falhou (mensagem %1)").arg(Dois_Digitos(numero));
    return QStringLiteral("Recusado (mensagem %1)").arg(Dois_Digitos(numero));
}

// Sent whole, with no judged reply: the server may have it. The number of the message that ended
// the wait (05 answered No gives 06; a connection lost gives 11), or the failure's text.
QString Texto_Incerta(const Resultado_Entrega &r)
{
    if (r.numero_mensagem != 0)
        return QStringLiteral("Incerto, verificar (mensagem %1)").arg(Dois_Digitos(r.numero_mensagem));
    return QStringLiteral("Incerto, verificar: ") + Em_Uma_Linha(r.mensagem);
}
} // namespace

Ajustes_Lote Ajustes_Lote_Padrao()
{
    const Ajustes_Transmissao t = Ajustes_Padrao();
    Ajustes_Lote a;
    a.servidor = t.servidor;
    a.porta = t.porta;
    a.historico = t.historico;
    return a;
}

std::vector<Resultado_Entrega> Transmitir_Lote(const std::vector<std::string> &arquivos, const Ajustes_Lote &ajustes,
                                               const std::function<void(const Evento_Entrega &)> &aviso,
                                               const std::atomic<bool> &parar)
{
    std::vector<Resultado_Entrega> resultados(arquivos.size());
    for (size_t i = 0; i < arquivos.size(); ++i)
        resultados[i].arquivo = arquivos[i];

    // Each delivery packs into an archive of its own, so parallel ones never share one. The
    // folder is named after this process: the folders of killed ones are removed here.
    const QString prefixo = QStringLiteral("zelta-lote-");
    Limpar_Pastas_Abandonadas(QFile::encodeName(QDir::tempPath()).toStdString(), prefixo.toStdString());
    const QTemporaryDir pasta(QDir(QDir::tempPath()).filePath(prefixo + QString::number(Processo_Atual()) + "-XXXXXX"));
    auto zip_de = [&](size_t i) {
        return QFile::encodeName(pasta.filePath(QStringLiteral("Arqzip-%1.zip").arg(i))).toStdString();
    };

    Avisos avisos(aviso);
    std::atomic<size_t> proximo{0};
    auto trabalhar = [&] {
        for (size_t i; !parar && (i = proximo++) < arquivos.size();)
            Entregar(i, resultados[i], ajustes, zip_de(i), avisos, parar);
    };
    const size_t n = std::min(arquivos.size(), static_cast<size_t>(std::clamp(ajustes.paralelas, 1, Max_Paralelas)));
    std::vector<std::thread> linhas;
    for (size_t k = 1; k < n; ++k)
        linhas.emplace_back(trabalhar);
    trabalhar();
    for (std::thread &t : linhas)
        t.join();
    return resultados;
}

bool Entregue(const Resultado_Entrega &r)
{
    return r.situacao == Situacao_Entrega::Aceita || r.situacao == Situacao_Entrega::Ja_Entregue;
}

bool Lote_Bem_Sucedido(const std::vector<Resultado_Entrega> &resultados)
{
    return std::all_of(resultados.begin(), resultados.end(), Entregue);
}

std::vector<std::string> Registros_Dos_Recibos(const std::vector<Resultado_Entrega> &resultados,
                                               const std::string &historico)
{
    std::vector<std::string> registros;
    for (const Resultado_Entrega &r : resultados) {
        std::string registro;
        if (r.situacao == Situacao_Entrega::Ja_Entregue) {
            try {
                registro = Entrada_Com_Codigo(r.codigo, historico);
            } catch (const Erro_Execucao &) {
                // the record the batch built, below
            }
        }
        if (registro.empty() && Entregue(r))
            registro = r.registro;
        if (!registro.empty())
            registros.push_back(std::move(registro));
    }
    return registros;
}

bool Recibo_Fora_Do_Historico(const std::vector<Resultado_Entrega> &resultados)
{
    return std::any_of(resultados.begin(), resultados.end(),
                       [](const Resultado_Entrega &r) { return !r.historico_nao_gravado.isEmpty(); });
}

QString Texto_Resultado(const Resultado_Entrega &r)
{
    const QString codigo = De_1252(r.codigo);
    // The code goes last: with no history line it is the user's only record of the delivery.
    const QString sem_historico = QStringLiteral(", ") + Texto_Historico_Nao_Gravado(r.historico_nao_gravado)
                                  + QStringLiteral("; código ") + codigo;
    const bool gravado = r.historico_nao_gravado.isEmpty();
    switch (r.situacao) {
    case Situacao_Entrega::Aceita:
        return gravado ? QStringLiteral("Aceito, código ") + codigo : QStringLiteral("Aceito") + sem_historico;
    case Situacao_Entrega::Ja_Entregue:
        return gravado ? QStringLiteral("Já transmitido, código ") + codigo
                       : QStringLiteral("Já transmitido") + sem_historico;
    case Situacao_Entrega::Recusada: return Texto_Recusa(r);
    case Situacao_Entrega::Incerta: return Texto_Incerta(r);
    case Situacao_Entrega::Na_Fila: break;
    }
    return QStringLiteral("Não transmitido (interrompido)");
}
