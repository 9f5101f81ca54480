#pragma once
// Prints the receipt of a record on a named printer: switches the application's current printer,
// draws the page, ends the document and switches back. An unavailable printer is reported here.
#include <QString>
#include <string>

class QComboBox;

// The printer-unavailable message.
extern const QString Mensagem_Impressora_Indisponivel;
// Message 14: no printer chosen.
extern const QString Mensagem_Informe_Impressora;

void Imprime_Recibo(const std::string &registro, const QString &nome_impressora);

// The print button of the transmit and reprint windows: message 14 and focus to the list when
// nothing is chosen; with the PDF entry chosen, asks for a file name (folder "Recibos" of the
// current directory, the receipt's own name) and writes the receipt there; else prints
// `registro` on the chosen printer under the hourglass.
void Imprimir_Da_Lista(QComboBox *lista, const std::string &registro);
