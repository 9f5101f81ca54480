#pragma once
// A set of receipts written as PDF files into one folder: what `zelta-transmitir --recibos` and
// the batch window's "Gravar Recibos em PDF..." do with the receipts of a batch.
//
// Each receipt goes to the folder under Nome_Arquivo_Recibo's name. A file is written whole to a
// temporary of its own in the folder and then put in its place, so a failure (a full disk, a
// file-size limit, a folder without write permission) never leaves an empty or cut PDF, and a
// link planted at a receipt's name is replaced, never written through. One failure does not stop
// the others. Needs a QGuiApplication (fonts); call it from one thread at a time.
#include <QString>
#include <string>
#include <vector>

struct Recibo_Pdf_Gravado {
    std::string registro; // the receipt record (Windows-1252 bytes)
    QString caminho;      // the PDF file, written or meant to be
    QString motivo;       // why it was not written, in Portuguese; empty when it was
};

struct Gravacao_Recibos {
    std::vector<Recibo_Pdf_Gravado> gravados; // in the order given
    std::vector<Recibo_Pdf_Gravado> falhas;   // in the order given, each with its `motivo`
};

// Writes the receipt of each record into `pasta`, creating the folder when missing. A record
// given twice is written once.
Gravacao_Recibos Gravar_Recibos_Pdf(const std::vector<std::string> &registros, const QString &pasta);
