#pragma once
// Answers a modal window in a test: the window's exec() blocks the test, so a timer looks for it.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <type_traits>

// Runs `acao` once on the first visible modal window of type T, for as long as the returned timer
// lives (keep it in the scope whose variables `acao` uses); gives up after ten seconds, so a window
// that never opens fails the test's own checks instead of hanging it.
template <typename T = QWidget>
[[nodiscard]] std::unique_ptr<QTimer> Quando_Modal(std::type_identity_t<std::function<void(T *)>> acao)
{
    auto espera = std::make_unique<QTimer>();
    QTimer *t = espera.get();
    auto inicio = std::make_shared<QElapsedTimer>();
    inicio->start();
    QObject::connect(t, &QTimer::timeout, [t, acao, inicio] {
        auto *w = qobject_cast<T *>(QApplication::activeModalWidget());
        const bool pronta = w && w->isVisible();
        if (!pronta && inicio->elapsed() < 10000)
            return;
        t->stop();
        if (pronta)
            acao(w);
    });
    t->start(10);
    return espera;
}
