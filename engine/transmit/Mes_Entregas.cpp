#include "engine/transmit/Mes_Entregas.h"

#include "engine/history/Historico.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/intake/Verificacao.h"
#include "engine/ledger/Razao_Entregas.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QFile>
#include <algorithm>
#include <map>
#include <tuple>

namespace {
std::string Aparado(std::string s)
{
    const auto inicio = s.find_first_not_of(' ');
    if (inicio == std::string::npos)
        return {};
    return s.substr(inicio, s.find_last_not_of(' ') - inicio + 1);
}

using Chave = std::pair<std::string, std::string>; // identifier kind and number

struct Empregador {
    Linha_Mes linha;
    bool entregue = false, incerta = false, recusada = false, pendente = false, anterior = false;
};

class Mes {
public:
    Mes(std::string mes, std::string ano) : mes_(std::move(mes)), ano_(std::move(ano)) {}

    // Whose it is; the employer when it is of this month. `entregue`: it was delivered, which makes
    // an employer expected in the later months.
    Empregador *Visto(const std::string &tipo, const std::string &id, const std::string &razao,
                      const std::string &mes, const std::string &ano, bool entregue)
    {
        Empregador &e = empregadores_[{Aparado(tipo), Aparado(id)}];
        e.linha.tipo_identificador = Aparado(tipo);
        e.linha.identificador = id; // as cut: the display mask takes its places
        if (e.linha.razao_social.empty() || !Aparado(razao).empty())
            e.linha.razao_social = Aparado(razao);
        const auto esta = std::make_tuple(Aparado(ano), Aparado(mes));
        const auto deste = std::make_tuple(ano_, mes_);
        if (esta < deste && entregue)
            e.anterior = true;
        return esta == deste ? &e : nullptr;
    }

    std::vector<Linha_Mes> Linhas()
    {
        std::vector<Linha_Mes> linhas;
        for (auto &[chave, e] : empregadores_) {
            if (e.entregue)
                e.linha.estado = Estado_Mes::Entregue;
            else if (e.incerta)
                e.linha.estado = Estado_Mes::Incerta;
            else if (e.recusada)
                e.linha.estado = Estado_Mes::Recusada;
            else if (e.pendente)
                e.linha.estado = Estado_Mes::Pendente;
            else if (e.anterior)
                e.linha.estado = Estado_Mes::Em_Falta;
            else
                continue; // known only from later months
            linhas.push_back(e.linha);
        }
        std::stable_sort(linhas.begin(), linhas.end(), [](const Linha_Mes &a, const Linha_Mes &b) {
            return std::tie(a.estado, a.razao_social) < std::tie(b.estado, b.razao_social);
        });
        return linhas;
    }

private:
    std::string mes_, ano_;
    std::map<Chave, Empregador> empregadores_;
};

QString Campo_Csv(const QString &campo)
{
    if (!campo.contains(QChar(';')) && !campo.contains(QChar('"')) && !campo.contains(QChar('\n'))
        && !campo.contains(QChar('\r')))
        return campo;
    return QChar('"') + QString(campo).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + QChar('"');
}
} // namespace

std::vector<Linha_Mes> Entregas_Do_Mes(const std::string &mes, const std::string &ano,
                                       const std::string &historico, const std::string &pasta,
                                       const std::atomic<bool> *parar)
{
    Mes m(mes, ano);
    const auto parado = [&] { return parar && *parar; };

    // Accepted deliveries known from the history, old ones included.
    Percorrer_Historico(
        [&](const std::string &r) {
            if (Empregador *e =
                    m.Visto(Recibo::Tipo_Identificador(r), Recibo::Identificador(r), Recibo::Razao_Social(r),
                            Recibo::Mes_Competencia(r), Recibo::Ano_Competencia(r), true)) {
                e->entregue = true;
                e->linha.codigo = Recibo::Codigo_Recebimento(r);
                e->linha.data = Data_Para_Exibir(r);
            }
            return !parado();
        },
        historico);

    // The ledger: uncertain and refused attempts, and deliveries the history lacks.
    const std::string caminho_razao = Caminho_Razao(historico);
    if (QFile::exists(QFile::decodeName(caminho_razao.c_str()))) {
        Razao_Entregas livro(caminho_razao);
        std::vector<long long> incertas;
        for (const Tentativa_Razao &t : livro.Incertas())
            incertas.push_back(t.id);
        for (const Tentativa_Razao &t : livro.Todas()) {
            const Dados_Declaracao &d = t.declaracao;
            const Resultado_Razao estado = Estado_Efetivo(t);
            Empregador *e = m.Visto(
                d.Tipo_Identificador, d.Identificador, d.Razao_Social, d.Mes_Competencia, d.Ano_Competencia,
                estado == Resultado_Razao::Aceita || estado == Resultado_Razao::Ja_Entregue);
            if (!e)
                continue;
            switch (estado) {
            case Resultado_Razao::Aceita:
            case Resultado_Razao::Ja_Entregue:
                if (!e->entregue) {
                    e->entregue = true;
                    e->linha.codigo = t.codigo;
                    if (t.data_servidor.size() >= 8)
                        e->linha.data = t.data_servidor.substr(0, 2) + "/" + t.data_servidor.substr(2, 2)
                                        + "/" + t.data_servidor.substr(4, 4);
                }
                break;
            case Resultado_Razao::Incerta:
                if (std::find(incertas.begin(), incertas.end(), t.id) != incertas.end()) {
                    e->incerta = true;
                    e->linha.arquivo = t.caminho;
                }
                break;
            case Resultado_Razao::Recusada:
                e->recusada = true;
                e->linha.mensagem = t.mensagem;
                break;
            case Resultado_Razao::Falhou:
            case Resultado_Razao::Sem_Resultado:
                break;
            }
        }
    }

    // Validated declarations of the folder.
    for (const std::string &nome : Arquivos_Comuns(pasta)) {
        if (parado())
            break;
        if (!Casa_Padrao(QFile::decodeName(nome.c_str()), QString::fromLatin1(Padrao_Declaracoes)))
            continue;
        Dados_Declaracao d;
        try {
            const std::string caminho = Caminho_Declaracao(pasta, nome);
            if (Verificar_Declaracao(caminho, d) != Resultado_Verificacao::Aceito)
                continue;
            if (Empregador *e = m.Visto(d.Tipo_Identificador, d.Identificador, d.Razao_Social,
                                        d.Mes_Competencia, d.Ano_Competencia, false)) {
                e->pendente = true;
                if (e->linha.arquivo.empty())
                    e->linha.arquivo = caminho;
            }
        } catch (const Erro_Execucao &) {
            // not a declaration, or unreadable: not this table's business
        }
    }
    return m.Linhas();
}

QString Nome_Estado(Estado_Mes e)
{
    switch (e) {
    case Estado_Mes::Entregue:
        return QStringLiteral("entregue");
    case Estado_Mes::Incerta:
        return QStringLiteral("incerta");
    case Estado_Mes::Recusada:
        return QStringLiteral("recusada");
    case Estado_Mes::Pendente:
        return QStringLiteral("pendente");
    case Estado_Mes::Em_Falta:
        break;
    }
    return QStringLiteral("em falta");
}

QString Texto_Estado(const Linha_Mes &l)
{
    switch (l.estado) {
    case Estado_Mes::Entregue:
        return QStringLiteral("entregue (código %1, %2)").arg(De_1252(l.codigo), De_1252(l.data));
    case Estado_Mes::Recusada:
        return QStringLiteral("recusada (mensagem %1)").arg(l.mensagem, 2, 10, QChar('0'));
    default:
        return Nome_Estado(l.estado);
    }
}

QByteArray Csv_Mes(const std::vector<Linha_Mes> &linhas, const QString &competencia)
{
    QString t = QStringLiteral("Competência;Identificador;Empresa;Situação;Código;Data\r\n");
    for (const Linha_Mes &l : linhas) {
        const QStringList campos{competencia,
                                 De_1252(Identificador_Para_Exibir(l.tipo_identificador, l.identificador)),
                                 De_1252(l.razao_social),
                                 Nome_Estado(l.estado),
                                 De_1252(l.codigo),
                                 De_1252(l.data)};
        QStringList saida;
        for (const QString &c : campos)
            saida << Campo_Csv(c);
        t += saida.join(QChar(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + t.toUtf8();
}
