#include "tools/transmitir/Opcoes.h"

#include "engine/transmit/Ajustes_Conexao.h"
#include "engine/transmit/Lote.h"

#include <QCommandLineParser>
#include <QFile>
#include <optional>

namespace {
// A whole number from `minimo` to `maximo`, or false.
bool Numero(const QString &texto, int minimo, int maximo, int &saida)
{
    bool ok = false;
    const int v = texto.toInt(&ok);
    if (!ok || v < minimo || v > maximo)
        return false;
    saida = v;
    return true;
}
// An argument the local encoding cannot carry through text reaches the parser as this mark and
// its place on the line (a noncharacter, never in a real argument), and is read back as bytes.
constexpr char16_t Marca = 0xFDD0;

class Linha_Bytes {
public:
    explicit Linha_Bytes(const std::vector<std::string> &argumentos) : bytes_(argumentos)
    {
        for (size_t i = 0; i < bytes_.size(); ++i) {
            const QByteArray b = QByteArray::fromStdString(bytes_[i]);
            const QString t = QFile::decodeName(b);
            textos << (QFile::encodeName(t) == b ? t : QChar(Marca) + QString::number(i));
        }
    }
    QStringList textos;
    std::string Bytes(const QString &texto) const
    {
        const std::optional<size_t> i = Lugar(texto);
        return i ? bytes_[*i] : QFile::encodeName(texto).toStdString();
    }
    // A text for what is shown or names a folder through Qt: the decoding, lossy only here.
    QString Texto(const QString &texto) const
    {
        const std::optional<size_t> i = Lugar(texto);
        return i ? QFile::decodeName(QByteArray::fromStdString(bytes_[*i])) : texto;
    }

private:
    std::optional<size_t> Lugar(const QString &texto) const
    {
        bool ok = false;
        const size_t i = texto.startsWith(QChar(Marca)) ? texto.mid(1).toULongLong(&ok) : 0;
        return ok && i < bytes_.size() ? std::optional<size_t>(i) : std::nullopt;
    }
    const std::vector<std::string> &bytes_;
};
} // namespace

QString Texto_Ajuda()
{
    return QStringLiteral(
        "Uso: zelta-transmitir [opções] ARQUIVO...\n"
        "     zelta-transmitir [opções] --verificar\n"
        "Transmite arquivos do ZELTA já validados pelo PGV, um após o outro ou vários ao mesmo tempo,\n"
        "e registra cada entrega no arquivo \"Zelta.ret\" da pasta atual.\n"
        "\n"
        "Opções:\n"
        "  --servidor HOST   máquina servidora de recepção (padrão: a do programa)\n"
        "  --porta N         porta da máquina servidora (padrão: 2500)\n"
        "  --proxy URL       sai pelo proxy socks5://[usuário:senha@]máquina:porta ou\n"
        "                    http://[usuário:senha@]máquina:porta; \"nenhum\" conecta direto\n"
        "                    (padrão: a configuração da conexão do programa, cuja senha não é gravada)\n"
        "  --paralelas K     transmite até K arquivos ao mesmo tempo, de 1 a 8 (padrão: 1)\n"
        "  --recibos PASTA   grava nessa pasta, em PDF, o recibo de cada arquivo aceito ou já transmitido\n"
        "  --espera MIN      aguarda a resposta da máquina servidora até MIN minutos (padrão: 10)\n"
        "  --sim             não pergunta a confirmação da transmissão\n"
        "  --verificar       reenvia as entregas incertas do registro de entregas da pasta atual\n"
        "                    (as que não tiveram resposta depois do último bloco), se o arquivo não mudou\n"
        "  -h, --help        mostra esta ajuda\n"
        "\n"
        "Situação de saída:\n"
        "  0  todos os arquivos foram aceitos (ou já tinham sido transmitidos) e seus recibos gravados\n"
        "  1  algum arquivo foi recusado, falhou ou não foi transmitido\n"
        "  2  a linha de comando está errada\n"
        "  3  algum arquivo foi aceito (ou já tinha sido transmitido), mas seu recibo não foi gravado\n"
        "     no histórico \"Zelta.ret\": guarde o código mostrado (tem precedência sobre 1)\n"
        "  4  as entregas deram certo, mas algum recibo em PDF não foi gravado (--recibos)\n"
        "  5  algum arquivo ficou incerto: foi enviado inteiro, mas a máquina servidora não respondeu;\n"
        "     use --verificar (tem precedência sobre 1)\n");
}

Opcoes_Transmitir Ler_Opcoes(const std::vector<std::string> &argumentos)
{
    Opcoes_Transmitir o;
    const Linha_Bytes linha(argumentos);
    QCommandLineParser p;
    const QCommandLineOption servidor(QStringLiteral("servidor"), {}, QStringLiteral("HOST"));
    const QCommandLineOption porta(QStringLiteral("porta"), {}, QStringLiteral("N"));
    const QCommandLineOption proxy(QStringLiteral("proxy"), {}, QStringLiteral("URL"));
    const QCommandLineOption paralelas(QStringLiteral("paralelas"), {}, QStringLiteral("K"));
    const QCommandLineOption recibos(QStringLiteral("recibos"), {}, QStringLiteral("PASTA"));
    const QCommandLineOption espera(QStringLiteral("espera"), {}, QStringLiteral("MIN"));
    const QCommandLineOption sim(QStringLiteral("sim"), {});
    const QCommandLineOption verificar(QStringLiteral("verificar"), {});
    const QCommandLineOption ajuda(QStringList{QStringLiteral("h"), QStringLiteral("help")}, {});
    p.addOptions({servidor, porta, proxy, paralelas, recibos, espera, sim, verificar, ajuda});
    if (!p.parse(linha.textos)) {
        o.erro = p.errorText();
        return o;
    }
    if (p.isSet(ajuda)) {
        o.ajuda = true;
        return o;
    }
    o.servidor = linha.Texto(p.value(servidor)).toStdString();
    int n = 0;
    if (p.isSet(porta)) {
        if (!Numero(p.value(porta), 1, 65535, n))
            o.erro = QStringLiteral("Porta inválida: %1").arg(p.value(porta));
        o.porta = static_cast<uint16_t>(n);
    }
    if (p.isSet(proxy)) {
        QString erro;
        o.proxy = Ler_Url_Proxy(linha.Texto(p.value(proxy)), erro);
        if (!o.proxy)
            o.erro = erro;
    }
    if (p.isSet(paralelas) && !Numero(p.value(paralelas), 1, Max_Paralelas, o.paralelas))
        o.erro = QStringLiteral("--paralelas aceita de 1 a %1: %2").arg(Max_Paralelas).arg(p.value(paralelas));
    if (p.isSet(espera) && !Numero(p.value(espera), 0, 24 * 60, o.espera_min))
        o.erro = QStringLiteral("--espera aceita de 0 a 1440 minutos: %1").arg(p.value(espera));
    o.recibos = linha.Texto(p.value(recibos));
    o.sim = p.isSet(sim);
    o.verificar = p.isSet(verificar);
    for (const QString &a : p.positionalArguments())
        o.arquivos.push_back(linha.Bytes(a));
    if (o.erro.isEmpty() && o.verificar && !o.arquivos.empty())
        o.erro = QStringLiteral("--verificar reenvia as entregas incertas do registro; não informe arquivos.");
    if (o.erro.isEmpty() && o.arquivos.empty() && !o.verificar)
        o.erro = QStringLiteral("Informe ao menos um arquivo a transmitir.");
    return o;
}
