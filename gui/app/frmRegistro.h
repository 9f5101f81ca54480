#pragma once
// "Ver registro de comunicação": the delivery log, read-only, newest line last, with a button
// that copies it all for a support e-mail.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class Registro_Comunicacao;

class frmRegistro : public QDialog {
    Q_OBJECT
public:
    frmRegistro(const Registro_Comunicacao &registro, QWidget *parent = nullptr);

    QPlainTextEdit *txtRegistro;
    QPushButton *cmdCopiar;
    QPushButton *cmdFechar;

    void cmdCopiar_Click();
};
