#include "receipt/Imprime_Recibo.h"

#include "app/cis/CIS_000.h"
#include "platform/Impressoras.h"
#include "receipt/Desenho_Recibo.h"
#include "receipt/Impressora_Aplicacao.h"

#include <QComboBox>
#include <QDateTime>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <utility>

const QString Mensagem_Impressora_Indisponivel =
    QStringLiteral("A impressora escolhida não se encontra disponível.") + QChar(13) +
    QStringLiteral("Escolha outra impressora.");
const QString Mensagem_Informe_Impressora =
    QStringLiteral("14 - Informe a impressora antes de confirmar a impressão!");

namespace {
QString &Saida_Pdf()
{
    static QString arquivo;
    return arquivo;
}

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

// Draws and ends the document on the application's current printer; false on any failure.
bool Desenhar_Documento(const std::string &registro)
{
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setDocName(QStringLiteral("Recibo_de_Entrega"));
    if (!Saida_Pdf().isEmpty()) {
        impressora.setOutputFormat(QPrinter::PdfFormat);
        impressora.setOutputFileName(Saida_Pdf());
    } else {
        const QString nome = Impressora_Aplicacao();
        // Qt prints on some other queue when given a name the system does not know.
        if (nome.isEmpty() || QPrinterInfo::printerInfo(nome).isNull())
            return false;
        impressora.setPrinterName(nome);
    }
    if (!impressora.isValid())
        return false;
    QPainter pintor;
    if (!pintor.begin(&impressora))
        return false;
    pintor.setFont(Fonte_Recibo());
    Desenhar_Pagina(pintor, Montar_Pagina(registro, QDateTime::currentDateTime()));
    return pintor.end() && impressora.printerState() != QPrinter::Error;
}
} // namespace

QString Trocar_Saida_Impressao(const QString &arquivo_pdf)
{
    return std::exchange(Saida_Pdf(), arquivo_pdf);
}

void Imprime_Recibo(const std::string &registro, const QString &nome_impressora)
{
    try {
        if (Impressora_Aplicacao() != nome_impressora) {
            Impressora_Salva = Impressora_Aplicacao();
            Tornar_Atual(nome_impressora);
        }
        if (!Desenhar_Documento(registro)) {
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
    Ponteiro_Ampulheta();
    Imprime_Recibo(registro, lista->currentText());
    Ponteiro_Padrao();
}
