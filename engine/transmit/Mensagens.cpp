#include "engine/transmit/Mensagens.h"

#include "engine/platform/Campos_Fixos.h"

#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"

namespace Mensagem {
const QString Confirmacao_03 = QStringLiteral(
    "03 - Esta operação irá transmitir os dados pela Internet.\r"
    "Certifique se a conexão com a Internet está ativa.\rConfirma ?");
const QString Tamanho_04 = QStringLiteral(
    "04 - A transmissão do arquivo escolhido poderá demorar alguns minutos em função do tamanho do seu "
    "arquivo e da velocidade da sua conexão com a Internet. Deseja continuar com o processo de transmissão ?");
const QString Demora_05 = QStringLiteral(
    "05 - A máquina servidora está demorando a responder. Deseja continuar aguardando a resposta? "
    "Escolha 'Sim' para aguardar e 'Não' para cancelar a transmissão. Neste caso, a transmissão será "
    "abortada e todo o seu conteúdo desconsiderado.");
const QString Abortada_06 = QStringLiteral(
    "06 - Transmissão abortada pelo usuário. Todos os dados já transmitidos serão desconsiderados.");
const QString Descompactacao_07 = QStringLiteral(
    "07 - Erro na descompactação do arquivo transmitido. Verifique se o arquivo transmitido é o correto.");
const QString Competencia_Anterior_17 = QStringLiteral(
    "17 - Arquivo de competência anterior. Este arquivo somente poderá ser informado como ACERTO. "
    "Utilize o PGV para converter o arquivo.");
const QString Erro_Compactacao = QStringLiteral("Erro na compactação do arquivo.");
const QString Servidor_Nao_Encontrado_09 = QStringLiteral(
    "09 - Não foi possível encontrar a máquina servidora. Verifique se a conexão com a Internet está ativa.");
const QString Servidor_Nao_Responde_10 =
    QStringLiteral("10 - A máquina servidora não responde. Tente novamente mais tarde.");
const QString Conexao_Abortada_11 =
    QStringLiteral("11 - A conexão com a máquina servidora foi abortada. Tente novamente mais tarde.");
const QString Sem_Suporte_12 = QStringLiteral("12 - A sua máquina não suporta comunicação via internet.");
const QString Servidor_Desconhecido_13 = QStringLiteral(
    "13 - A máquina servidora não foi encontrada.Informe-se junto ao distribuidor deste programa sobre "
    "como obter nova versão.");

namespace {
// Reply characters by 1-based position, as shown on screen.
QString Trecho(std::string_view s, int inicio, int tamanho)
{
    return De_1252(Campo(s, inicio, tamanho));
}
} // namespace

QString Ja_Transmitido_08(std::string_view r)
{
    return QStringLiteral("08 - Este arquivo já foi transmitido anteriormente.\rCom o Código de Recebimento ")
           + De_1252(Codigo_Recebimento_De(r)) + QStringLiteral(" em ") + Trecho(r, 10, 2)
           + QLatin1Char('/') + Trecho(r, 12, 2) + QLatin1Char('/') + Trecho(r, 14, 4) + QStringLiteral(" às ")
           + Trecho(r, 18, 2) + QLatin1Char(':') + Trecho(r, 20, 2) + QLatin1Char(':') + Trecho(r, 22, 2)
           + QStringLiteral(".\r\rEsta transmissão foi desconsiderada. Deseja reimprimir o recibo?");
}

QString Competencia_Recusada_18(std::string_view mes, std::string_view ano, std::string_view r)
{
    return QStringLiteral("18 - Transferência cancelada. O arquivo enviado é da competência ") + De_1252(mes)
           + QLatin1Char('/') + De_1252(ano)
           + QStringLiteral(". Estamos recebendo arquivos referentes ao mês ") + Trecho(r, 2, 2)
           + QStringLiteral(" e ano ") + Trecho(r, 4, 4);
}


QString Historico_Nao_Gravado(const QString &descricao)
{
    return QStringLiteral("O servidor recebeu o arquivo, mas o recibo não pôde ser gravado no arquivo "
                          "\"Zelta.ret\" (") + descricao + QStringLiteral(").\rImprima ou visualize o recibo "
                          "agora: ele não aparecerá na reimpressão.");
}
} // namespace Mensagem

QString Em_Uma_Linha(const QString &mensagem)
{
    return QString(mensagem).replace(QChar(13), QChar(' '));
}
