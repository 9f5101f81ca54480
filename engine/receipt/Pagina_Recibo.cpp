#include "engine/receipt/Pagina_Recibo.h"

#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QDateTime>

using namespace Pagina_Recibo;

namespace {
Item Tab(int n) { return {Item::Tab, n, {}}; }
Item Spc(int n) { return {Item::Spc, n, {}}; }
Item Texto(const std::string &bytes) { return {Item::Texto, 0, bytes}; }
Item Texto(const char *utf8) { return {Item::Texto, 0, Para_1252(QString::fromUtf8(utf8))}; }

Linha Regua() { return {Tab(14), Texto(std::string(105, '_'))}; }

// A totals line: position item, label, Spc(s), ":", Spc(1), the counter through its mask.
Linha Total(Item posicao, const char *rotulo, int s, std::string_view contador)
{
    return {posicao, Texto(rotulo), Spc(s), Texto(":"), Spc(1), Texto(Contador_Para_Exibir(contador))};
}
} // namespace

std::vector<Linha> Montar_Pagina(const std::string &r, const QDateTime &agora)
{
    const bool zelta = Recibo::Tipo_Arquivo(r) == "1";
    const bool cnpj = Recibo::Tipo_Identificador(r) == "1";
    const std::string data = agora.toString(QStringLiteral("dd/MM/yyyy")).toStdString();
    const std::string hora = agora.toString(QStringLiteral("HH:mm:ss")).toStdString();

    std::vector<Linha> p;
    p.push_back(Regua());
    p.push_back({Tab(14), Texto("KORVENAL"), Spc(40), Texto("Emissão: "), Texto(data)});
    p.push_back({});
    p.push_back({Tab(14), Texto("ZELTA Net - APLICATIVO DE TRANSMISSÃO VIA INTERNET"), Spc(51), Texto(hora)});
    p.push_back({});
    p.push_back({Tab(14), Texto(zelta ? "ARQUIVO ZELTA" : "ARQUIVO ACERTO"), Tab(121), Texto("Versão: 1.01")});
    p.push_back({});
    p.push_back({Tab(47), Texto("RECIBO DE ENTREGA DO MEIO MAGNÉTICO")});
    p.push_back({});
    p.push_back({Tab(30), Texto("VORNEX - ZELTA - LEI Nº 9.999/99")});
    p.push_back({});
    const std::string mes = Texto_Mes(r);
    if (!mes.empty())
        p.push_back({Tab(53), Texto("REFERÊNCIA : "), Texto(mes + Recibo::Ano_Competencia(r))});
    p.push_back(Regua());
    p.push_back({Tab(14), Texto("Estabelecimento Autorizado :")});
    p.push_back({});
    p.push_back({Tab(14), Texto(cnpj ? "CNPJ : " : "CEI : "),
                 Texto(Identificador_Para_Exibir(Recibo::Tipo_Identificador(r), Recibo::Identificador(r))),
                 Texto(" - "), Texto(Recibo::Razao_Social(r))});
    p.push_back({});
    p.push_back({Tab(14), Texto("END.: "), Texto(Recibo::Endereco(r))});
    p.push_back({});
    p.push_back({Tab(14), Texto("CEP: "), Texto(CEP_Para_Exibir(r)), Texto(" - "), Texto(Recibo::UF(r))});
    p.push_back({});
    p.push_back({});

    const std::string um = "1"; // the authorised count, not stored in the record
    if (zelta) {
        p.push_back(Total(Spc(89), "Total de Autorizados Informados", 3, um));
        p.push_back(Total(Tab(85), "Total de Estabelecimentos Informados", 2, Recibo::Total(r, 1)));
        p.push_back(Total(Tab(87), "Total de Movimentações Informadas", 2, Recibo::Total(r, 2)));
        p.push_back(Total(Tab(87), "Total de Registros no Arquivo ZELTA", 1, Recibo::Total(r, 3)));
        p.push_back(Total(Tab(86), "Total de Registros Acerto no Arquivo", 2, Recibo::Total(r, 4)));
        p.push_back(Total(Tab(91), "PIS/PASEP Zerados Informados", 3, Recibo::Total(r, 5)));
    } else {
        p.push_back(Total(Tab(90), "Total de Autorizados Informados", 1, um));
        p.push_back(Total(Tab(86), "Total de Movimentações Informadas", 1, Recibo::Total(r, 1)));
        p.push_back(Total(Tab(92), "Total de Registros no Arquivo", 2, Recibo::Total(r, 2)));
    }
    p.push_back({});
    p.push_back({});
    p.push_back({Tab(14), Texto("Recebido por Transmissão pela INTERNET")});
    p.push_back({Tab(14), Texto("em "), Texto(Data_Para_Exibir(r)), Texto(" às "), Texto(Hora_Para_Exibir(r))});
    p.push_back({});
    if (!zelta)
        p.push_back({});
    p.push_back({Tab(14), Texto("Código do Recebimento: "), Texto(Recibo::Codigo_Recebimento(r))});
    if (!zelta)
        p.push_back({});
    p.push_back({});
    p.push_back({});
    p.push_back(Regua());
    return p;
}

std::vector<QString> Texto_Pagina(const std::vector<Linha> &linhas)
{
    std::vector<QString> saida;
    for (const Linha &linha : linhas) {
        QString atual;
        for (const Item &item : linha) {
            switch (item.tipo) {
            case Item::Tab:
                if (atual.size() > item.n - 1) {
                    saida.push_back(atual);
                    atual.clear();
                }
                atual = atual.leftJustified(item.n - 1, QLatin1Char(' '));
                break;
            case Item::Spc:
                atual += QString(item.n, QLatin1Char(' '));
                break;
            case Item::Texto:
                atual += De_1252(item.texto);
                break;
            }
        }
        saida.push_back(atual);
    }
    return saida;
}
