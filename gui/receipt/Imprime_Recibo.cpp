#include "gui/receipt/Imprime_Recibo.h"

#include "gui/cis/CIS_000.h"
#include "engine/print/Impressao.h"
#include "engine/print/Impressoras.h"
#include "gui/receipt/Lista_Impressoras.h"
#include "engine/print/Impressora_Aplicacao.h"
#include "engine/print/Recibo_Pdf.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

const QString Mensagem_Impressora_Indisponivel =
    QStringLiteral("A impressora escolhida não se encontra disponível.") + QChar(13) +
    QStringLiteral("Escolha outra impressora.");
const QString Mensagem_Informe_Impressora =
    QStringLiteral("14 - Informe a impressora antes de confirmar a impressão!");

namespace {
// Makes every installed printer of this name the application's current one; Impressora_Atual is
// the walk's loop variable, as in the printer lists.
void Tornar_Atual(const QString &nome)
{
    for (const QString &p : Impressoras_Instaladas()) {
        Impressora_Atual = p;
        if (p == nome)
            Definir_Impressora_Aplicacao(p);
    }
}

// The folder "Recibos" beside the history file, which lies in the current directory; made
// when missing. The current directory when it cannot be made.
QString Pasta_Recibos()
{
    const QString pasta = QDir::current().absoluteFilePath(QStringLiteral("Recibos"));
    return QDir().mkpath(pasta) ? pasta : QDir::currentPath();
}

// The standard save dialog; an existing file is replaced only when the user says so.
QString Perguntar_Arquivo_Pdf(QWidget *pai, QString sugestao)
{
    for (;;) {
        QFileDialog dialogo(pai, QStringLiteral("Gravar o recibo em arquivo PDF"), sugestao,
                            QStringLiteral("Arquivo PDF (*.pdf)"));
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setFileMode(QFileDialog::AnyFile);
        dialogo.setDefaultSuffix(QStringLiteral("pdf"));
        dialogo.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
            return {};
        const QString caminho = dialogo.selectedFiles().constFirst();
        if (!QFileInfo::exists(caminho) ||
            Caixa_Mensagem(QStringLiteral("O arquivo %1 já existe.").arg(QDir::toNativeSeparators(caminho)) +
                               QChar(13) + QStringLiteral("Deseja substituí-lo?"),
                           Icone::Pergunta, Botoes::SimNao) == Resposta::Sim)
            return caminho;
        sugestao = caminho;
    }
}

void Imprimir_Em_Arquivo(QWidget *pai, const std::string &registro)
{
    const QString nome = QString::fromStdString(Nome_Arquivo_Recibo(registro));
    const QString caminho = Perguntar_Arquivo_Pdf(pai, QDir(Pasta_Recibos()).filePath(nome));
    if (caminho.isEmpty())
        return;
    QString erro;
    Ponteiro_Ampulheta();
    const bool gravado = Gravar_Recibo_Pdf(registro, caminho, &erro);
    Ponteiro_Padrao();
    if (!gravado)
        Caixa_Mensagem(QStringLiteral("Não foi possível gravar o recibo no arquivo %1.")
                               .arg(QDir::toNativeSeparators(caminho)) +
                           QChar(13) + QStringLiteral("Motivo: %1").arg(erro),
                       Icone::Exclamacao, Botoes::Ok);
}
} // namespace

void Imprime_Recibo(const std::string &registro, const QString &nome_impressora)
{
    try {
        if (Impressora_Aplicacao() != nome_impressora) {
            Impressora_Salva = Impressora_Aplicacao();
            Tornar_Atual(nome_impressora);
        }
        if (!Imprimir_Documento(registro)) {
            // The chosen printer stays current, so the next switch saves it instead.
            Caixa_Mensagem(Mensagem_Impressora_Indisponivel, Icone::Exclamacao, Botoes::Ok);
            return;
        }
    } catch (...) {
        // Walking the printers failed: reported like an unavailable printer.
        Caixa_Mensagem(Mensagem_Impressora_Indisponivel, Icone::Exclamacao, Botoes::Ok);
        return;
    }
    try {
        Tornar_Atual(Impressora_Salva);
    } catch (...) {
        // Restoring is best effort.
    }
}

void Imprimir_Da_Lista(QComboBox *lista, const std::string &registro)
{
    if (lista->currentIndex() == -1) {
        Caixa_Mensagem(Mensagem_Informe_Impressora, Icone::Exclamacao, Botoes::Ok);
        lista->setFocus();
        return;
    }
    if (Escolhido_Arquivo_Pdf(lista)) {
        Imprimir_Em_Arquivo(lista->window(), registro);
        return;
    }
    Ponteiro_Ampulheta();
    Imprime_Recibo(registro, lista->currentText());
    Ponteiro_Padrao();
}
