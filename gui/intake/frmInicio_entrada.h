#pragma once
// While the transmit command runs, what the user types or clicks in its window does nothing, then
// or later: the window paints during the pauses but its input is dropped, and what is still
// queued when the command ends is dropped too. Message boxes and other windows keep their input.
#include <QObject>

class QWidget;

class Bloqueio_Entrada : public QObject {
public:
    explicit Bloqueio_Entrada(QWidget *janela);
    ~Bloqueio_Entrada() override;
    Bloqueio_Entrada(const Bloqueio_Entrada &) = delete;
    Bloqueio_Entrada &operator=(const Bloqueio_Entrada &) = delete;

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    QWidget *janela_;
};
