#pragma once
// The main window's notice of uncertain deliveries ("2 entregas incertas — verificar"), in the
// menu bar's corner: no box to dismiss, a link that opens the month window. It looks at the
// ledger beside the history now and then, and whenever asked.
#include <QLabel>
#include <QTimer>
#include <string>

class Aviso_Incertas : public QLabel {
    Q_OBJECT
public:
    explicit Aviso_Incertas(QWidget *pai, std::string historico = "Zelta.ret");
    // Counts the uncertain deliveries again and shows the notice, or hides it when there are none.
    void Atualizar();
    int Quantas() const { return quantas_; }

signals:
    void Verificar();

private:
    std::string historico_;
    QTimer relogio_;
    int quantas_ = 0;
};

// "1 entrega incerta — verificar", "N entregas incertas — verificar".
QString Texto_Aviso_Incertas(int quantas);
