#pragma once
// "Configuração da Conexão": the reception host and port, and the proxy the office goes out
// through. "Testar conexão" looks up, connects and closes on a worker thread, without sending
// anything, and tells how long each step took.
#include "engine/transmit/Ajustes_Conexao.h"

#include <QDialog>
#include <thread>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
struct Resultado_Teste;

class frmConexao : public QDialog {
    Q_OBJECT
public:
    explicit frmConexao(QWidget *parent = nullptr);
    ~frmConexao() override;

    QLineEdit *txtServidor;
    QSpinBox *spnPorta;
    QPushButton *cmdPadrao;      // "Restaurar padrão"
    QComboBox *cmbProxy;         // Nenhum, SOCKS5, HTTP (CONNECT)
    QLineEdit *txtProxyServidor;
    QSpinBox *spnProxyPorta;
    QLineEdit *txtUsuario;
    QLineEdit *txtSenha;         // kept for this session only
    QPushButton *cmdTestar;
    QPlainTextEdit *txtResultado;
    QPushButton *cmdOk;
    QPushButton *cmdCancelar;

    // What the fields say now (with the password typed).
    Ajustes_Conexao Ajustes() const;

    void cmdPadrao_Click();
    void cmdTestar_Click();
    void cmdOk_Click();

signals:
    void Teste_Concluido();

private:
    void Mostrar(const Ajustes_Conexao &a);
    void Proxy_Alterado();
    void Concluir_Teste(const Resultado_Teste &r);

    std::thread teste_;
};
