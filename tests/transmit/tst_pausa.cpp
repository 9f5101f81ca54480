// The upload's pauses: k to k + 1 seconds of the time of day, sleeping, ending at midnight.
#include "engine/transmit/Relogio.h"

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>

namespace {
// A clock whose time only moves when the pause sleeps.
class Relogio_Falso : public Relogio {
public:
    explicit Relogio_Falso(double inicio) : agora(inicio) {}
    double Hora_Do_Dia() override { return agora; }
    void Esperar(double s) override
    {
        ++esperas;
        agora += s;
        if (agora >= 86400)
            agora -= 86400;
    }
    double agora;
    int esperas = 0;
};
} // namespace

class TstPausa : public QObject {
    Q_OBJECT
private slots:
    void dura_entre_k_e_k_mais_1()
    {
        for (double inicio : {1000.0, 1000.49, 1000.5, 1000.99}) {
            for (int k : {3, 5}) {
                Relogio_Falso r(inicio);
                Pausa_Segundos(r, k);
                const double durou = r.agora - inicio;
                QVERIFY2(durou >= k - 0.5 && durou <= k + 1.01, qPrintable(QString("%1 %2 %3").arg(inicio).arg(k).arg(durou)));
                QVERIFY2(r.esperas <= k + 3, "the pause sleeps instead of spinning");
            }
        }
    }

    void termina_a_meia_noite()
    {
        Relogio_Falso r(86398.7);
        Pausa_Segundos(r, 5);
        QVERIFY(r.agora < 10);
    }

    // A window's hook runs several times a second of every pause, the bounds unchanged.
    void espera_em_fatias_chama_o_gancho()
    {
        for (int k : {3, 5}) {
            Relogio_Falso base(1000.3);
            int chamadas = 0;
            double maior_fatia = 0, antes = base.agora;
            Relogio_Com_Espera r(base, [&] {
                ++chamadas;
                maior_fatia = std::max(maior_fatia, base.agora - antes);
                antes = base.agora;
            });
            Pausa_Segundos(r, k);
            const double durou = base.agora - 1000.3;
            QVERIFY2(durou >= k - 0.5 && durou <= k + 1.01, qPrintable(QString::number(durou)));
            QVERIFY2(chamadas >= 5 * k, qPrintable(QString::number(chamadas)));
            QVERIFY(maior_fatia <= 0.1 + 1e-9);
        }
        Relogio_Falso sem_gancho(2000);
        Relogio_Com_Espera r(sem_gancho, {});
        Pausa_Segundos(r, 1);
        QVERIFY(sem_gancho.agora > 2000);
    }

    void relogio_real_dentro_dos_limites()
    {
        Relogio_Sistema r;
        QElapsedTimer t;
        t.start();
        Pausa_Segundos(r, 1);
        QVERIFY2(t.elapsed() >= 500 && t.elapsed() <= 2100, qPrintable(QString::number(t.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TstPausa)
#include "tst_pausa.moc"
